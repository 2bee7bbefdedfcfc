#pragma once
// A workbench started in a fresh temporary working directory, with scripted
// dialogs, and the accessors the tests read it through.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "scripted_dialogs.h"
#include "settings/settings.h"
#include "workbench/main_window.h"
#include "workbench/workbench.h"

namespace tovi::test {
namespace {

// Table rows carry a name, shown for a failing row and used as the case name.
template <typename Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}
constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

} // namespace

// A child window's place and the size of its inside, as the settings keep them.
inline WindowRect innerRect(const QMdiSubWindow* window) {
    return {window->x(), window->y(), window->widget()->width(), window->widget()->height()};
}

inline DialogCall notice(const QString& text) {
    return {DialogKind::Information, "Hinweis", text, {}};
}

class WorkbenchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(directory_.isValid());
        previousDirectory_ = QDir::currentPath();
        QDir::setCurrent(directory_.path());
    }

    void TearDown() override {
        workbench_.reset();
        QDir::setCurrent(previousDirectory_);
    }

    // Builds the workbench as tovi does and shows it, active.
    MainWindow& start() {
        workbench_ = std::make_unique<Workbench>(dialogs);
        MainWindow& window = workbench_->mainWindow();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }

    // The orderly end as tovi goes through it, then a new start in the same directory.
    MainWindow& restart() {
        window().runCommand(CommandId::Exit);
        workbench_->finish();
        workbench_.reset();
        return start();
    }

    // Writes tovi.ini: the built-in layout, changed by `change`.
    void storeSettings(const std::function<void(Settings&)>& change) {
        Settings stored;
        setDefaultWindowRects(stored);
        change(stored);
        writeFile("tovi.ini", settingsFileContent(stored));
    }

    MainWindow& window() { return workbench_->mainWindow(); }

    template <typename T>
    T* child(const char* name) {
        T* found = window().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QPlainTextEdit* editor() { return child<QPlainTextEdit>("sourceEditor"); }
    QPlainTextEdit* statusList() { return child<QPlainTextEdit>("statusList"); }
    QListWidget* objectCodeList() { return child<QListWidget>("objectCodeList"); }
    QAction* commandAction(const char* name) { return child<QAction>(name); }
    void trigger(const char* name) { commandAction(name)->trigger(); }
    QString caretField() { return child<QLabel>("caretField")->text(); }
    QString fileField() { return child<QLabel>("fileField")->text(); }

    // Child window n in the order of creation: 1 "Quelle", 2 "Status", 3 "Objektcode (HEX)".
    QMdiSubWindow* childWindow(int n) {
        return child<QMdiArea>("workspace")->subWindowList(QMdiArea::CreationOrder).at(n - 1);
    }
    QString sourceTitle() { return childWindow(1)->windowTitle(); }

    QStringList statusLines() { return statusList()->toPlainText().split(u'\n'); }
    QString lastStatus() { return statusLines().last(); }
    QStringList listingRows() {
        QStringList rows;
        for (int i = 0; i < objectCodeList()->count(); ++i) {
            rows << objectCodeList()->item(i)->text();
        }
        return rows;
    }

    // Selects the editor's text from `anchor` to `position`.
    void select(int anchor, int position) {
        QTextCursor cursor(editor()->document());
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        editor()->setTextCursor(cursor);
    }

    // A path inside the test's working directory.
    QString pathOf(const QString& name) const { return directory_.filePath(name); }
    std::string fileBytes(const QString& path) const {
        return readFileBytes(path.toStdString()).value_or("<unreadable>");
    }
    void writeFile(const QString& name, std::string_view bytes) const {
        ASSERT_TRUE(writeFileAtomically(pathOf(name).toStdString(), bytes));
    }

    // Text the user types into the editor.
    void type(const QString& text) { QTest::keyClicks(editor(), text); }

    ScriptedDialogs dialogs;

private:
    QTemporaryDir directory_;
    QString previousDirectory_;
    std::unique_ptr<Workbench> workbench_;
};

} // namespace tovi::test
