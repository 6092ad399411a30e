#pragma once

#include <QString>

namespace brivo {

// An effect's resource name from its display name: space and "-" become "_",
// "+" becomes "plus", an upper-case "X" becomes "mult"; nothing else changes.
QString resource_name_of(const QString& displayName);

} // namespace brivo
