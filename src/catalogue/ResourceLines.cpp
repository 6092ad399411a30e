#include "catalogue/ResourceLines.h"

namespace brivo::resources {

QStringList split_resource_lines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.append(QString::fromLatin1(bytes.constData() + start, i - start));
        // CR LF is one break, not a break followed by an empty line.
        i += (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size())
        lines.append(QString::fromLatin1(bytes.constData() + start, bytes.size() - start));
    return lines;
}

} // namespace brivo::resources
