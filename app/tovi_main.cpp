// tovi: the workbench. Its one argument is a source file to load at start;
// everything else it keeps in "tovi.ini" and "tovi-sim.ini" in the working
// directory.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/command_line.h"
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

int main(int argc, char* argv[]) {
    tovi::CommandLine commandLine(
        "tovi",
        "Die Werkbank für MCS-48-Programme: Quelltext bearbeiten, assemblieren (F5),\n"
        "im Simulator ausführen und an den EPROM-Emulator senden (F6).",
        "Ohne DATEI beginnt Tovi mit leerer Quelle.");
    std::string file;
    commandLine.app().add_option("DATEI", file, "diese Quelldatei beim Start laden")->type_name("");
    if (const auto exitStatus = commandLine.parse(argc, argv)) {
        return *exitStatus;
    }
    // The toolkit takes none of the arguments: they are Tovi's.
    int argumentCount = 1;
    QApplication app(argumentCount, argv);
    QTranslator translator;
    speakGerman(app, translator);

    tovi::QtUserDialogs dialogs;
    tovi::Workbench workbench(dialogs);
    workbench.mainWindow().show();
    if (!file.empty()) {
        workbench.mainWindow().openAtStart(QString::fromLocal8Bit(file.c_str()));
    }
    const int result = app.exec();
    workbench.finish();
    return result;
}
