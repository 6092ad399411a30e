#include "catalogue/TformFXInfo.h"

#include "base/EditorError.h"
#include "catalogue/PageColours.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"

#include <QFile>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

namespace brivo {

namespace {
constexpr int kClientWidth = 335;
constexpr int kClientHeight = 480;
} // namespace

TformFXInfo::TformFXInfo(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("formFXInfo"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(kClientWidth, kClientHeight);
    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(8, 8, 319, 464);
    WebBrowser1->setOpenExternalLinks(true);
}

void TformFXInfo::showPage(const QRect& besides, const QString& effectName) {
    if (isVisible())
        close();
    // The page is looked up before the window opens again, so a missing page
    // cannot leave the previous effect's page under the new effect's caption.
    const QString name = resource_name_of(effectName) + QStringLiteral("_INFO");
    const std::optional<QByteArray> page = resources::find(name);
    if (!page)
        throw EditorError(QStringLiteral("Resource %1 not found").arg(name));
    showPage(besides, effectName, *page);
}

void TformFXInfo::showPage(const QRect& besides, const QString& effectName,
                           const QByteArray& page) {
    if (isVisible())
        close();
    const QString name = resource_name_of(effectName) + QStringLiteral("_INFO");
    move(besides.x() + besides.width(), besides.y());
    show();
    setWindowTitle(effectName);

    if (!pageFolder_)
        pageFolder_.emplace();
    const QString path = pageFolder_->filePath(name.toUpper() + QStringLiteral(".html"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(page) != page.size())
        throw EditorError(QStringLiteral("Cannot write the information page: ") +
                          file.errorString());
    file.close();
    // The page's own text colour, which the view does not take from the
    // page, so that no look puts its text colour on the page's background.
    WebBrowser1->document()->setDefaultStyleSheet(page_style_sheet(page_text_colour(page)));
    // Reload even when the same file is shown again.
    WebBrowser1->setSource(QUrl());
    WebBrowser1->setSource(QUrl::fromLocalFile(path));
}

} // namespace brivo
