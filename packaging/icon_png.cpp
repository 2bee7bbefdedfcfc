// Writes the workbench's window icon as PNG files for the desktop's icon
// theme, drawn by the same code that draws it in the window:
//
//   tovi_icon_png DIRECTORY SIZE...
//
// writes DIRECTORY/<SIZE>x<SIZE>/apps/tovi.png for each SIZE, drawn at that size.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>

#include "workbench/icons.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "Aufruf: tovi_icon_png VERZEICHNIS GRÖSSE...\n");
        return 2;
    }
    int argumentCount = 1;
    QGuiApplication app(argumentCount, argv);
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        bool isNumber = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = theme.filePath(folder + QStringLiteral("/tovi.png"));
        if (!isNumber || size <= 0 || !theme.mkpath(folder) ||
            !tovi::iconPixmap(tovi::IconRole::Emulator, size).save(file, "PNG")) {
            std::fprintf(stderr, "tovi_icon_png: %s kann nicht geschrieben werden\n",
                         qPrintable(file));
            return 1;
        }
    }
    return 0;
}
