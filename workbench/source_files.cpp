#include "workbench/source_files.h"

#include "common/file_io.h"
#include "qtshared/qt_text.h"
#include "workbench/source_format.h"
#include "workbench/user_dialogs.h"

#include <QDate>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tovi {
namespace {

const QString cleanTitle = QStringLiteral("Quelle");
const QString changedTitle = QStringLiteral("Quelle [geändert]");
const QString newTitle = QStringLiteral("Quelldatei [geändert]");
const QString fileFilters = QStringLiteral("Quelldateien (*.asm);;Alle Dateien (*.*)");

QString joinedLines(const std::vector<std::u16string>& lines) {
    QStringList joined;
    for (const auto& line : lines) {
        joined << toQString(line);
    }
    return joined.join(u'\n');
}

std::u16string todayText() {
    const QDate today = QDate::currentDate();
    return dateText(today.day(), today.month(), today.year());
}

std::u16string byteCountText(std::size_t size) {
    return u" (" + decimalText(static_cast<std::int64_t>(size)) + u" Byte)";
}

} // namespace

SourceFiles::SourceFiles(const SourceView& view, UserDialogs& dialogs, StatusSink appendStatus)
    : view_(view), dialogs_(dialogs), appendStatus_(std::move(appendStatus)) {}

void SourceFiles::newSource() {
    replaceEditorText(joinedLines(helloWorldTemplate(todayText(), accountName())));
    appendStatus_(u"Beispielprogramm 'hallowelt.asm' erzeugt");
    view_.window->setWindowTitle(newTitle);
    sourcePath_ = pathInDirectory(QDir::currentPath().toStdU16String(), templateFileName);
    showFileName();
    modified_ = true;
    view_.editor->setFocus();
}

bool SourceFiles::loadSource() {
    const QString chosen =
        dialogs_.openFileName(view_.dialogParent, QStringLiteral("Quelle laden"), fileFilters);
    return !chosen.isEmpty() && loadFile(chosen.toStdU16String());
}

bool SourceFiles::loadFile(const std::u16string& path) {
    const auto bytes = readBytesUpToNul(toPath(path));
    std::error_code error;
    const auto size = std::filesystem::file_size(toPath(path), error);
    if (!bytes || error) {
        appendStatus_(u"Fehler beim Laden der Quelle");
        dialogs_.error(view_.dialogParent, QStringLiteral("Fehler"),
                       QStringLiteral("'") + toQString(fileNamePart(path)) +
                           QStringLiteral("' konnte nicht geladen werden!"));
        return false;
    }
    sourcePath_ = path;
    rememberFile(sourcePath_);
    replaceEditorText(toQString(editorTextFromFile(*bytes)));
    showClean();
    showFileName();
    appendStatus_(sourcePath_ + byteCountText(size) + u" geladen");
    view_.editor->setFocus();
    return true;
}

void SourceFiles::saveSource(SaveMode mode) {
    const bool askForPath = sourcePath_.empty() || mode == SaveMode::SaveAs;
    const std::u16string target = askForPath ? chooseSavePath() : sourcePath_;
    if (target.empty() || !mayReplace(target, askForPath)) {
        appendStatus_(u"Speichern der Quelle abgebrochen");
        return;
    }
    sourcePath_ = target;
    bool lossy = false;
    const std::string bytes = sourceFileBytes(view_.editor->toPlainText().toStdU16String(), &lossy);
    if (!writeFileAtomically(toPath(sourcePath_), bytes)) {
        appendStatus_(u"Fehler beim Speichern der Quelle");
        dialogs_.error(view_.dialogParent, QStringLiteral("Fehler"),
                       QStringLiteral("'") + toQString(fileNamePart(sourcePath_)) +
                           QStringLiteral("' konnte nicht gespeichert werden!"));
        return;
    }
    rememberFile(sourcePath_);
    showClean();
    showFileName();
    appendStatus_(sourcePath_ + byteCountText(bytes.size()) + u" gespeichert");
    if (lossy) {
        appendStatus_(u"Nicht darstellbare Zeichen wurden als '?' gespeichert");
    }
}

void SourceFiles::markModified() {
    if (replacingText_ || modified_ || view_.editor->document()->isEmpty()) {
        return;
    }
    view_.window->setWindowTitle(changedTitle);
    modified_ = true;
}

bool SourceFiles::confirmDiscard(const QString& question) {
    return !modified_ || dialogs_.question(view_.dialogParent, QStringLiteral("Warnung"), question);
}

// Asks for the file to save under, exactly as chosen; empty when cancelled.
std::u16string SourceFiles::chooseSavePath() {
    return dialogs_
        .saveFileName(view_.dialogParent, QStringLiteral("Quelle speichern unter"),
                      toQString(sourcePath_), fileFilters)
        .toStdU16String();
}

// An existing file is replaced without a question only when this run has
// loaded or saved it and the user did not pick it in the save dialog.
bool SourceFiles::mayReplace(const std::u16string& path, bool chosenInDialog) {
    std::error_code error;
    if (!std::filesystem::exists(toPath(path), error)) {
        return true;
    }
    if (!chosenInDialog && isKnownFile(path)) {
        return true;
    }
    return dialogs_.question(view_.dialogParent, QStringLiteral("Warnung"),
                             QStringLiteral("Die Datei '") + toQString(fileNamePart(path)) +
                                 QStringLiteral("' existiert bereits. Überschreiben?"));
}

void SourceFiles::rememberFile(const std::u16string& path) {
    if (!isKnownFile(path)) {
        knownFiles_.push_back(path);
    }
}

bool SourceFiles::isKnownFile(const std::u16string& path) const {
    return std::ranges::any_of(knownFiles_, [&path](const std::u16string& known) {
        return isSameFile(toPath(known), toPath(path));
    });
}

void SourceFiles::replaceEditorText(const QString& text) {
    replacingText_ = true;
    view_.editor->setPlainText(text);
    replacingText_ = false;
}

void SourceFiles::showClean() {
    view_.window->setWindowTitle(cleanTitle);
    modified_ = false;
}

void SourceFiles::showFileName() {
    view_.fileField->setText(QStringLiteral("Datei: ") + toQString(fileNamePart(sourcePath_)));
}

} // namespace tovi
