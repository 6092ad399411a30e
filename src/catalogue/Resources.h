#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace brivo {

// The raw-data resources compiled into the program (catalogue, and later
// firmware images and looks), found by name without regard to case.
namespace resources {

// The bytes of the resource `name`, or nothing when there is none.
std::optional<QByteArray> find(const QString& name);

// The resource's text split into lines: CR LF, lone LF and lone CR each end a
// line; a break after the last line adds no empty line. Throws EditorError
// "Resource <name> not found" when there is no such resource.
QStringList load_resource_lines(const QString& name);

} // namespace resources
} // namespace brivo
