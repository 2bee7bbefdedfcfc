#pragma once
// A workbench started in a fresh temporary working directory, the fixture answering its message
// boxes and file dialogs from a script, and the accessors and steps the tests drive it through.

#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "workbench/main_window.h"
#include "workbench/user_dialogs.h"
#include "workbench/workbench.h"

// Qt's texts as text in failure messages; found beside QString itself.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tovi::test {

class WorkbenchTest : public ::testing::Test, public UserDialogs {
protected:
    void SetUp() override { ASSERT_TRUE(QDir::setCurrent(directory_.path())); }
    void TearDown() override {
        EXPECT_TRUE(answers.isEmpty() && fileNames.isEmpty()) << "unused replies";
        workbench_.reset();
        QDir::setCurrent(previousDirectory_);
    }

    // Every box and dialog as "title: text" (a file dialog's text is its filters, a save dialog's
    // preset follows). Questions take the next scripted answer ("Ja" is Yes), file dialogs the next
    // path (empty is Cancel); a dialog the script did not expect fails the test.
    using Text = const QString&;
    QStringList calls, answers, fileNames;
    bool question(QWidget*, Text title, Text text) override {
        return next(answers, title + ": " + text) == "Ja";
    }
    void information(QWidget*, Text title, Text text) override { calls << title + ": " + text; }
    void error(QWidget*, Text title, Text text) override { calls << title + ": " + text; }
    QString openFileName(QWidget*, Text title, Text filters) override {
        return next(fileNames, title + ": " + filters);
    }
    QString saveFileName(QWidget*, Text title, Text preset, Text filters) override {
        return next(fileNames, title + ": " + filters + " " + preset);
    }
    int lineNumber(QWidget*, Text title, Text label, int, int) override {
        return next(answers, title + ": " + label).toInt();
    }
    QString next(QStringList& script, Text call) {
        calls << call;
        EXPECT_FALSE(script.isEmpty()) << "unexpected dialog: " << call.toStdString();
        return script.isEmpty() ? QString() : script.takeFirst();
    }

    // Builds the workbench as tovi does and shows it, active.
    MainWindow& start() {
        workbench_ = std::make_unique<Workbench>(*this);
        window().show();
        window().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
        return window();
    }

    // One step of a table row: a command by name, "Type" (NOP at the caret), "DeleteAll",
    // "DeleteOne", "Close" (the window's close request), "Restart" (the orderly end and a new
    // start), "BlockBinary" (a folder where the binary file goes), "Protect" (hallowelt.asm to mode
    // 0444) or "Link" (hallowelt.asm a link to real.asm). A question is answered `yes`; the file
    // dialogs of loading and of saving as pick "hallowelt.asm".
    void run(std::string_view step, bool yes = true) {
        answers = QStringList{yes ? "Ja" : "Nein"};
        if (step == "LoadSource" || step == "SaveSourceAs") {
            fileNames = QStringList{pathOf("hallowelt.asm")};
        }
        if (step == "Type") {
            QTest::keyClicks(editor(), "NOP");
        } else if (step.starts_with("Delete")) {
            if (step == "DeleteAll") {
                QTest::keyClick(editor(), Qt::Key_A, Qt::ControlModifier);
            }
            QTest::keyClick(editor(), Qt::Key_Delete);
        } else if (step == "Close") {
            window().close();
            QCoreApplication::processEvents();
        } else if (step == "Restart") {
            trigger("Exit");
            workbench_->finish();
            start();
        } else if (step == "BlockBinary") {
            EXPECT_TRUE(QFile::remove("hallowelt.bin") && QDir().mkdir("hallowelt.bin"));
        } else if (step == "Protect") {
            std::filesystem::permissions("hallowelt.asm", std::filesystem::perms(0444));
        } else if (step == "Link") {
            std::filesystem::rename("hallowelt.asm", "real.asm");
            std::filesystem::create_symlink("real.asm", "hallowelt.asm");
        } else {
            trigger(std::string(step).c_str());
        }
        answers.clear();
        fileNames.clear();
    }

    MainWindow& window() { return workbench_->mainWindow(); }
    template <typename T = QWidget>
    T* child(const char* name) {
        return window().findChild<T*>(name);
    }
    QPlainTextEdit* editor() { return child<QPlainTextEdit>("sourceEditor"); }
    void trigger(const char* command) { child<QAction>(command)->trigger(); }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    // Child window n in the order of creation: 1 "Quelle", 2 "Status", 3 "Objektcode (HEX)".
    QMdiSubWindow* childWindow(int n) {
        return child<QMdiArea>("workspace")->subWindowList(QMdiArea::CreationOrder).at(n - 1);
    }
    QString sourceTitle() { return childWindow(1)->windowTitle(); }
    QStringList statusLines() {
        return child<QPlainTextEdit>("statusList")->toPlainText().split(u'\n');
    }
    QString lastStatus() { return statusLines().last(); }

    // A path inside the test's working directory, and the files there.
    QString pathOf(const QString& name) const { return directory_.filePath(name); }
    std::string fileBytes(const QString& name) const {
        return readFileBytes(pathOf(name).toStdString()).value_or("<unreadable>");
    }
    void writeFile(const QString& name, std::string_view bytes) const {
        ASSERT_TRUE(writeFileAtomically(pathOf(name).toStdString(), bytes));
    }
    void load(const QString& name) {
        fileNames << pathOf(name);
        trigger("LoadSource");
    }

private:
    QTemporaryDir directory_;
    const QString previousDirectory_ = QDir::currentPath();
    std::unique_ptr<Workbench> workbench_;
};

// A table of cases, one row each; the row's name names its case.
template <typename Row, typename Fixture = WorkbenchTest>
class TableTest : public Fixture, public ::testing::WithParamInterface<Row> {};

inline constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

} // namespace tovi::test
