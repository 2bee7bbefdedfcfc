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

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "scripted_dialogs.h"
#include "workbench/main_window.h"
#include "workbench/workbench.h"

namespace tovi::test {

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
    QString caretField() { return child<QLabel>("caretField")->text(); }
    QString fileField() { return child<QLabel>("fileField")->text(); }

    // Child window n in the order of creation: 1 "Quelle", 2 "Status", 3 "Objektcode (HEX)".
    QMdiSubWindow* childWindow(int n) {
        return child<QMdiArea>("workspace")->subWindowList(QMdiArea::CreationOrder).at(n - 1);
    }
    QString sourceTitle() { return childWindow(1)->windowTitle(); }

    QStringList statusLines() { return statusList()->toPlainText().split(u'\n'); }
    QStringList listingRows() {
        QStringList rows;
        for (int i = 0; i < objectCodeList()->count(); ++i) {
            rows << objectCodeList()->item(i)->text();
        }
        return rows;
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
