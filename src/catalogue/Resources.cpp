#include "catalogue/Resources.h"

#include "base/EditorError.h"
#include "catalogue/ResourceLines.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <array>

namespace brivo::resources {

namespace {

// Every folder of compiled-in resources that the editor finds by name. Names
// must be unique across the folders; the first folder listed wins otherwise.
constexpr std::array kResourceFolders = {":/catalogue", ":/firmware", ":/looks"};

// Upper-case resource name -> resource path, built once on first use.
QHash<QString, QString> buildIndex() {
    QHash<QString, QString> index;
    for (const char* folder : kResourceFolders) {
        const QDir dir(QString::fromLatin1(folder));
        const QStringList names = dir.entryList(QDir::Files, QDir::Name);
        for (const QString& name : names) {
            const QString key = name.toUpper();
            if (!index.contains(key))
                index.insert(key, dir.filePath(name));
        }
    }
    return index;
}

const QHash<QString, QString>& resourceIndex() {
    static const QHash<QString, QString> index = buildIndex();
    return index;
}

} // namespace

std::optional<QByteArray> find(const QString& name) {
    const auto& index = resourceIndex();
    const auto it = index.constFind(name.toUpper());
    if (it == index.constEnd())
        return std::nullopt;
    QFile file(it.value());
    // A compiled-in resource that is listed always opens; treat the impossible
    // failure as absence rather than handing back empty bytes.
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QStringList load_resource_lines(const QString& name) {
    const std::optional<QByteArray> bytes = find(name);
    if (!bytes)
        throw EditorError(QStringLiteral("Resource %1 not found").arg(name));
    return split_resource_lines(*bytes);
}

} // namespace brivo::resources
