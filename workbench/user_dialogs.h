#pragma once
// The message boxes and file dialogs of the workbench, behind one interface so
// that tests can answer them without a person at the screen.

#include <QString>

class QWidget;

namespace tovi {

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // The "Warnung" box: exclamation icon, Yes and No. True when Yes was chosen.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
    // The "Hinweis" box: information icon, OK.
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    // The "Fehler" box: error icon, OK.
    virtual void error(QWidget* parent, const QString& title, const QString& text) = 0;
    // The chosen file's path, or an empty text when the dialog was cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filters) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& preset,
                                 const QString& filters) = 0;
    // A number from 1 to `highest`, `current` preset; 0 when cancelled.
    virtual int lineNumber(QWidget* parent, const QString& title, const QString& label, int current,
                           int highest) = 0;
};

// QMessageBox and QFileDialog, modal to the parent.
class QtUserDialogs : public UserDialogs {
public:
    bool question(QWidget* parent, const QString& title, const QString& text) override;
    void information(QWidget* parent, const QString& title, const QString& text) override;
    void error(QWidget* parent, const QString& title, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filters) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& preset,
                         const QString& filters) override;
    int lineNumber(QWidget* parent, const QString& title, const QString& label, int current,
                   int highest) override;
};

} // namespace tovi
