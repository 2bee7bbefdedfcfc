// tovi: the workbench. Takes no arguments; its only configuration is the
// settings file "tovi.ini" in the working directory.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "workbench/main_window.h"
#include "workbench/user_dialogs.h"
#include "workbench/workbench.h"

namespace {

// The interface is German throughout, Qt's own buttons and dialogs included,
// whatever the desktop's language.
void speakGerman(QApplication& app, QTranslator& translator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (translator.load(QStringLiteral("qtbase_de"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&translator);
    }
}

} // namespace

int main(int, char* argv[]) {
    // Command-line arguments are not taken, not even the toolkit's own.
    int argumentCount = 1;
    QApplication app(argumentCount, argv);
    QTranslator translator;
    speakGerman(app, translator);

    tovi::QtUserDialogs dialogs;
    tovi::Workbench workbench(dialogs);
    workbench.mainWindow().show();
    const int result = app.exec();
    workbench.finish();
    return result;
}
