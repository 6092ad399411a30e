#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

namespace brivo {

namespace {
const QString kIconResource = QStringLiteral(":/icons/com.tandrel.BrivoEditor.svg");
constexpr std::array kIconSizesPx = {16, 24, 32, 48, 64, 128, 256};
} // namespace

QImage render_app_icon(int sizePx) {
    QImage image(sizePx, sizePx, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(kIconResource);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QIcon app_icon() {
    QIcon icon;
    for (int size : kIconSizesPx)
        icon.addPixmap(QPixmap::fromImage(render_app_icon(size)));
    return icon;
}

} // namespace brivo
