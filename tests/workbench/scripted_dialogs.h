#pragma once
// Message boxes and file dialogs answered from a script, each call recorded.

#include <QString>

#include <deque>
#include <vector>

#include <gtest/gtest.h>

#include "workbench/user_dialogs.h"

namespace tovi::test {

enum class DialogKind { Question, Information, Error, OpenFile, SaveFile };

struct DialogCall {
    DialogKind kind;
    QString title;
    QString text; // the message, or for a file dialog its filters
    QString preset;

    bool operator==(const DialogCall&) const = default;
};

inline void PrintTo(const DialogCall& call, std::ostream* out) {
    *out << "{kind " << static_cast<int>(call.kind) << ", \"" << call.title.toStdString()
         << "\", \"" << call.text.toStdString() << "\", \"" << call.preset.toStdString() << "\"}";
}

class ScriptedDialogs : public UserDialogs {
public:
    std::vector<DialogCall> calls;
    std::deque<bool> answers;      // for questions: true is Yes
    std::deque<QString> fileNames; // for file dialogs: empty is Cancel

    bool question(QWidget*, const QString& title, const QString& text) override {
        calls.push_back({DialogKind::Question, title, text, {}});
        return next(answers, false);
    }
    void information(QWidget*, const QString& title, const QString& text) override {
        calls.push_back({DialogKind::Information, title, text, {}});
    }
    void error(QWidget*, const QString& title, const QString& text) override {
        calls.push_back({DialogKind::Error, title, text, {}});
    }
    QString openFileName(QWidget*, const QString& title, const QString& filters) override {
        calls.push_back({DialogKind::OpenFile, title, filters, {}});
        return next(fileNames, QString());
    }
    QString saveFileName(QWidget*, const QString& title, const QString& preset,
                         const QString& filters) override {
        calls.push_back({DialogKind::SaveFile, title, filters, preset});
        return next(fileNames, QString());
    }

private:
    // The scripted reply; a dialog the script did not expect fails the test.
    template <typename T>
    T next(std::deque<T>& script, T none) {
        if (script.empty()) {
            ADD_FAILURE() << "unexpected dialog: " << calls.back().text.toStdString();
            return none;
        }
        T reply = script.front();
        script.pop_front();
        return reply;
    }
};

} // namespace tovi::test
