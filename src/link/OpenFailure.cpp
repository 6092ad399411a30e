#include "link/OpenFailure.h"

#include "link/d2xx/D2xx.h"

#include <cerrno>

namespace brivo {

OpenCause openCauseOfErrno(int error) {
    switch (error) {
    case 0:
        return OpenCause::None;
    case EACCES:
    case EPERM:
    case EROFS:
        return OpenCause::Permission;
    case EBUSY:
    case EAGAIN:
        return OpenCause::Busy;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenCause::Gone;
    default:
        return OpenCause::Other;
    }
}

QString openFailureMessage(const OpenFailure& failure) {
    const QString device = QString::fromStdString(failure.device);
    switch (failure.cause) {
    case OpenCause::Permission:
        return QStringLiteral("The pedal (%1) cannot be opened: permission denied. Install the "
                              "udev rule 70-brivo.rules (see the README) and replug the pedal, "
                              "or join the group that owns the port (dialout, usually) and log "
                              "in again.")
            .arg(device);
    case OpenCause::Busy:
        return QStringLiteral("The pedal (%1) cannot be opened: it is busy, another program "
                              "holds it (a terminal, a second editor, a firmware upgrade). "
                              "Close that program, then Connect again.")
            .arg(device);
    case OpenCause::Gone:
        return QStringLiteral("The pedal (%1) cannot be opened: it is gone (unplugged?). Plug "
                              "it in, then Scan and Connect again.")
            .arg(device);
    case OpenCause::None:
    case OpenCause::Other:
        break;
    }
    return {};
}

QString whyOpenFailed(const D2xx& d2xx) {
    return openFailureMessage(d2xx.lastOpenFailure());
}

} // namespace brivo
