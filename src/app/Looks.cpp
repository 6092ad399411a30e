#include "app/Looks.h"

#include "catalogue/Resources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsOpacityEffect>
#include <QWidget>
#include <array>

namespace brivo {

namespace {

constexpr double kLargeScale = 1.5;
const QString kLookFileName = QStringLiteral("style.txt");

const std::array<LookInfo, kLookCount> kLooks = {{
    {QStringLiteral("Platform (the desktop's own look)"), false},
    {QStringLiteral("Dark stage"), true},
    {QStringLiteral("High contrast, dark"), true},
    {QStringLiteral("Large text (larger windows from the next start)"), true, kLargeScale},
    {QStringLiteral("Daylight"), true},
    {QStringLiteral("High contrast, light"), true},
    {QStringLiteral("Large text, dark (larger windows from the next start)"), true, kLargeScale},
    {QStringLiteral("Tandrel blue"), true},
}};

} // namespace

std::optional<LookInfo> look_info(int look) {
    if (look < 0 || look >= kLookCount)
        return std::nullopt;
    return kLooks.at(static_cast<std::size_t>(look));
}

QString look_resource_name(int look) {
    return QStringLiteral("Style_") + QString::number(look);
}

std::optional<QString> look_style_sheet(int look) {
    const std::optional<QByteArray> bytes = resources::find(look_resource_name(look));
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

bool apply_look(int look) {
    const std::optional<QString> sheet = look_style_sheet(look);
    if (!sheet)
        return false;
    qApp->setStyleSheet(*sheet);
    // A faded text (the serial number) cannot meet the AA contrast on every
    // background: a look that promises it draws the text whole.
    const bool fadeAllowed = !look_info(look)->meetsContrastAA;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* fade = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect()))
            fade->setEnabled(fadeAllowed);
    }
    return true;
}

std::optional<int> parse_look_file(const QByteArray& text) {
    bool ok = false;
    const int look = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return look;
}

QString look_file_path(const QString& makerFolder) {
    return QDir(makerFolder).filePath(kLookFileName);
}

int read_saved_look(const QString& makerFolder) {
    QFile file(look_file_path(makerFolder));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const std::optional<int> saved = parse_look_file(file.readAll());
    if (!saved || !look_style_sheet(*saved))
        return 0;
    return *saved;
}

bool prepare_look_scale(const QString& makerFolder) {
    if (!qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        return false;
    const double scale = look_info(read_saved_look(makerFolder))->scale;
    if (scale == 1.0)
        return false;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    return true;
}

void keep_look_scale_to_editor(bool setByLook) {
    if (setByLook)
        qunsetenv("QT_SCALE_FACTOR");
}

QByteArray look_file_text(int look) {
    return QByteArray::number(look);
}

} // namespace brivo
