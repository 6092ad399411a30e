#pragma once

#include "link/d2xx/Ftd2xx.h"

#include <QString>

namespace brivo {

// The text shown after an operation's label when a driver call fails.
QString ftStatusSuffix(FT_STATUS status);

} // namespace brivo
