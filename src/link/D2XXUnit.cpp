#include "link/D2XXUnit.h"

#include "base/Clock.h"
#include "link/FtStatusText.h"
#include "link/LinkSettings.h"

#include <algorithm>
#include <cstring>

namespace brivo {

D2XXUnit::D2XXUnit(D2xx& driver, Clock& clock) : driver_(driver), clock_(clock) {}

void D2XXUnit::ReportFTStatus(const QString& label, FT_STATUS status) {
    if (status == FT_OK)
        return;
    if (reporter_)
        reporter_(label + ftStatusSuffix(status));
}

QByteArray D2XXUnit::bufferText(const std::array<char, kFtListStringBytes>& buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), '\0');
    return QByteArray(buffer.data(), static_cast<qsizetype>(end - buffer.begin()));
}

FT_STATUS D2XXUnit::GetFTDeviceCount() {
    const FT_STATUS status = driver_.FT_ListDevices(&ftDeviceCount, nullptr, FT_LIST_NUMBER_ONLY);
    ReportFTStatus(QStringLiteral("GetFTDeviceCount"), status);
    return status;
}

FT_STATUS D2XXUnit::GetFTDeviceSerialNo(DWORD index) {
    const FT_STATUS status = driver_.FT_ListDevices(
        reinterpret_cast<PVOID>(static_cast<std::uintptr_t>(index)), ftSerialNumberBuffer.data(),
        FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
    if (status == FT_OK)
        FT_Device_String = bufferText(ftSerialNumberBuffer);
    ReportFTStatus(QStringLiteral("GetFTDeviceSerialNo"), status);
    return status;
}

FT_STATUS D2XXUnit::GetFTDeviceDescription(DWORD index) {
    const FT_STATUS status = driver_.FT_ListDevices(
        reinterpret_cast<PVOID>(static_cast<std::uintptr_t>(index)), ftDescriptionBuffer.data(),
        FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
    if (status == FT_OK)
        FT_Device_String = bufferText(ftDescriptionBuffer);
    ReportFTStatus(QStringLiteral("GetFTDeviceDescription"), status);
    return status;
}

FT_STATUS D2XXUnit::Open_USB_Device_By_Serial_Number(const QString& serial) {
    const QByteArray bytes = serial.toLocal8Bit();
    const auto n = std::min<qsizetype>(bytes.size(), kOpenSerialNumberBytes - 1);
    ftOpenSerialNumber.fill('\0');
    std::memcpy(ftOpenSerialNumber.data(), bytes.constData(), static_cast<std::size_t>(n));
    const FT_STATUS status =
        driver_.FT_OpenEx(ftOpenSerialNumber.data(), FT_OPEN_BY_SERIAL_NUMBER, &ftHandle);
    ReportFTStatus(QStringLiteral("Open_USB_Device_By_Serial_Number"), status);
    return status;
}

FT_STATUS D2XXUnit::CloseFTDevice() {
    const FT_STATUS status = driver_.FT_Close(ftHandle);
    ReportFTStatus(QStringLiteral("FT_Close"), status);
    return status;
}

FT_STATUS D2XXUnit::SetFTBaudRate() {
    const FT_STATUS status = driver_.FT_SetBaudRate(ftHandle, ftBaudRate);
    ReportFTStatus(QStringLiteral("FT_SetBaudRate"), status);
    return status;
}

FT_STATUS D2XXUnit::SetFTDataCharacteristics() {
    const FT_STATUS status =
        driver_.FT_SetDataCharacteristics(ftHandle, ftWordLength, ftStopBits, ftParity);
    ReportFTStatus(QStringLiteral("FT_SetDataCharacteristics"), status);
    return status;
}

FT_STATUS D2XXUnit::PurgeFTDeviceRX() {
    const FT_STATUS status = driver_.FT_Purge(ftHandle, FT_PURGE_RX);
    ReportFTStatus(QStringLiteral("FT_Purge RX"), status);
    return status;
}

FT_STATUS D2XXUnit::PurgeFTDeviceTX() {
    const FT_STATUS status = driver_.FT_Purge(ftHandle, FT_PURGE_TX);
    ReportFTStatus(QStringLiteral("FT_Purge TX"), status);
    return status;
}

FT_STATUS D2XXUnit::GetFTQueueStatus() {
    const FT_STATUS status = driver_.FT_GetQueueStatus(ftHandle, &ftQueueBytes);
    ReportFTStatus(QStringLiteral("FT_GetQueueStatus"), status);
    return status;
}

DWORD D2XXUnit::ReadFTDevice(DWORD /*requested*/) {
    DWORD queued = 0;
    if (driver_.FT_GetQueueStatus(ftHandle, &queued) != FT_OK)
        queued = 0;
    queued = std::min<DWORD>(queued, kRxBufferSize);
    DWORD got = 0;
    const FT_STATUS status = driver_.FT_Read(ftHandle, rxBuffer.data(), queued, &got);
    ftReadStatus = status;
    ReportFTStatus(QStringLiteral("FT_Read"), status);
    return status == FT_OK ? got : 0;
}

DWORD D2XXUnit::WriteFTDevice(DWORD count) {
    DWORD written = 0;
    const FT_STATUS status = driver_.FT_Write(ftHandle, txBuffer.data(),
                                              std::min<DWORD>(count, kTxBufferSize), &written);
    if (status == FT_OK && written > 0) {
        const std::int64_t start = std::max(clock_.nowUs(), txLineFreeAtUs_);
        txLineFreeAtUs_ = start + static_cast<std::int64_t>(written * kLinkByteTimeUs + 0.5);
    }
    ReportFTStatus(QStringLiteral("FT_Write"), status);
    return status == FT_OK ? written : 0;
}

FT_STATUS D2XXUnit::SetFTLatencyTimer(UCHAR ms) {
    return driver_.FT_SetLatencyTimer(ftHandle, ms);
}

FT_STATUS D2XXUnit::GetFTLatencyTimer(UCHAR* ms) {
    return driver_.FT_GetLatencyTimer(ftHandle, ms);
}

FT_STATUS D2XXUnit::SetFTLineFraming(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return driver_.FT_SetDataCharacteristics(ftHandle, wordLength, stopBits, parity);
}

FT_STATUS D2XXUnit::ReadFTEEPROMWord(DWORD address) {
    WORD value = 0;
    const FT_STATUS status = driver_.FT_ReadEE(ftHandle, address, &value);
    if (status == FT_OK)
        ftEepromWord = value;
    return status;
}

bool D2XXUnit::SetFTEventNotification(std::function<void()> notify) {
    return driver_.FT_SetEventNotification(ftHandle, std::move(notify)) == FT_OK;
}

} // namespace brivo
