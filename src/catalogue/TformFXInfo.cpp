#include "catalogue/TformFXInfo.h"

#include <QTextBrowser>

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
}

} // namespace brivo
