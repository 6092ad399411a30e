#pragma once

#include <QString>

namespace brivo {

// The program's version as the Help menu shows it: major and minor, joined
// by a full stop ("1.0").
QString get_app_version();

} // namespace brivo
