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
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void information(QWidget*, const QString& title, const QString& text) override {
        calls.push_back({DialogKind::Information, title, text, {}});
    }
    void error(QWidget*, const QString& title, const QString& text) override {
        calls.push_back({DialogKind::Error, title, text, {}});
    }
    QString openFileName(QWidget*, const QString& title, const QString& filters) override {
        calls.push_back({DialogKind::OpenFile, title, filters, {}});
        return nextFileName();
    }
    QString saveFileName(QWidget*, const QString& title, const QString& preset,
                         const QString& filters) override {
        calls.push_back({DialogKind::SaveFile, title, filters, preset});
        return nextFileName();
    }

private:
    QString nextFileName() {
        if (fileNames.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return {};
        }
        const QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

} // namespace tovi::test
