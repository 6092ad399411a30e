#include "app/TformFirmwareUpgrade.h"

namespace brivo {

namespace {
constexpr int kClientWidth = 158;
constexpr int kClientHeight = 143;
} // namespace

TformFirmwareUpgrade::TformFirmwareUpgrade(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("formFirmwareUpgrade"));
    setWindowTitle(QStringLiteral("Firmware Upgrade"));
    setFixedSize(kClientWidth, kClientHeight);
}

} // namespace brivo
