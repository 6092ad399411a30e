#include "base/EventPump.h"

#include <QCoreApplication>

namespace brivo {

void processPendingEvents() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
}

} // namespace brivo
