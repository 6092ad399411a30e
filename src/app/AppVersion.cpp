#include "app/AppVersion.h"

namespace brivo {

QString get_app_version() {
    return QStringLiteral("%1.%2").arg(BRIVO_VERSION_MAJOR).arg(BRIVO_VERSION_MINOR);
}

} // namespace brivo
