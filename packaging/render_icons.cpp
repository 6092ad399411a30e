// Writes the editor's icon as PNG files for the desktop's icon theme:
// <folder>/<size>x<size>/apps/<name>.png for each size given.
#include "app/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s FOLDER NAME SIZE...\n", argv[0]);
        return 2;
    }
    // Drawing needs a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (size <= 0 || !QDir().mkpath(dir) ||
            !brivo::render_app_icon(size).save(QStringLiteral("%1/%2.png").arg(dir, name))) {
            std::fprintf(stderr, "cannot write the %s icon in %s\n", argv[i], qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
