#pragma once

#include <QByteArray>
#include <QString>

namespace brivo {

// The identity of the listed device and what its EEPROM says.
struct LinkState {
    QString deviceSerialNumber;
    QByteArray eepromManufacturer;
    QByteArray eepromDeviceName;
    QByteArray eepromSerialNumber;
};

} // namespace brivo
