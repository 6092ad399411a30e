#pragma once

#include <QWidget>

namespace brivo {

// The Firmware Upgrade window; its controls arrive with the bootloader client.
class TformFirmwareUpgrade final : public QWidget {
    Q_OBJECT
  public:
    explicit TformFirmwareUpgrade(QWidget* parent = nullptr);
};

} // namespace brivo
