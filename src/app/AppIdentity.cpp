#include "app/AppIdentity.h"

#include <QCoreApplication>

namespace brivo {

void configure_application() {
    QCoreApplication::setApplicationName(QStringLiteral("brivo-editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRIVO_VERSION_TEXT));
}

} // namespace brivo
