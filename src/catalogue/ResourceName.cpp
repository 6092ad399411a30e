#include "catalogue/ResourceName.h"

namespace brivo {

QString resource_name_of(const QString& displayName) {
    QString name = displayName;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    name.replace(QLatin1Char('+'), QStringLiteral("plus"));
    name.replace(QLatin1Char('X'), QStringLiteral("mult"), Qt::CaseSensitive);
    return name;
}

} // namespace brivo
