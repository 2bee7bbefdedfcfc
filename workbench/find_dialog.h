#pragma once
// "Suchen" and "Ersetzen": a small dialog beside the editor that stays open
// while the user goes on working.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tovi {

class SourceEditor;

class FindDialog : public QDialog {
    Q_OBJECT

public:
    FindDialog(QWidget* parent, SourceEditor& editor);

    // Shows the dialog for searching only, or with the replace fields.
    void open(bool replacing);
    // F3: the next match of the last search text, or the dialog when there is none yet.
    void findNext();

signals:
    // Nothing in the text matches `text`.
    void notFound(const QString& text);
    // Replacing everything changed `count` places.
    void replaced(int count);

private slots:
    void replaceNext();
    void replaceAll();

private:
    void createControls();
    bool matchCase() const;

    SourceEditor& editor_;
    QLineEdit* searchField_ = nullptr;
    QLabel* replaceLabel_ = nullptr;
    QLineEdit* replaceField_ = nullptr;
    QCheckBox* caseBox_ = nullptr;
    QPushButton* replaceButton_ = nullptr;
    QPushButton* replaceAllButton_ = nullptr;
};

} // namespace tovi
