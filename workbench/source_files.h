#pragma once
// The one source the workbench edits: making it from the template, loading
// and saving it, and keeping track of changes not yet in a file.

#include <QString>

#include <string>
#include <vector>

#include "common/text.h"

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace tovi {

class UserDialogs;

// The widgets a source shows itself in.
struct SourceView {
    QPlainTextEdit* editor;
    QWidget* window;   // its title shows the state: clean, changed or new
    QLabel* fileField; // status bar field 1
    QWidget* dialogParent;
};

enum class SaveMode { Save, SaveAs };

inline const QString discardForNew = QStringLiteral("Quelle wurde geändert. Trotzdem neu anlegen?");
inline const QString discardForLoad = QStringLiteral("Quelle wurde geändert. Trotzdem laden?");
inline const QString discardForExit = QStringLiteral("Quelle wurde geändert. Trotzdem beenden?");

class SourceFiles {
public:
    SourceFiles(const SourceView& view, UserDialogs& dialogs, StatusSink appendStatus);

    void newSource();
    // Whether a file was chosen and loaded.
    bool loadSource();
    // Loads the file as "Quelle laden" does once a file is chosen.
    bool loadFile(const std::u16string& path);
    void saveSource(SaveMode mode);

    // For every change of the editor's text; changes made by loading or by
    // the template are not the user's and are not reported here.
    void markModified();

    // Whether the guarded action may run: at once when nothing is modified,
    // otherwise only when the user answers the question with Yes.
    bool confirmDiscard(const QString& question);

    const std::u16string& sourcePath() const { return sourcePath_; }

private:
    std::u16string chooseSavePath();
    bool mayReplace(const std::u16string& path, bool chosenInDialog);
    void rememberFile(const std::u16string& path);
    bool isKnownFile(const std::u16string& path) const;
    void replaceEditorText(const QString& text);
    void showClean();
    void showFileName();

    SourceView view_;
    UserDialogs& dialogs_;
    StatusSink appendStatus_;
    std::u16string sourcePath_;
    std::vector<std::u16string> knownFiles_; // loaded or saved during this run
    bool modified_ = false;
    bool replacingText_ = false;
};

} // namespace tovi
