#include "workbench/find_dialog.h"

#include "workbench/source_editor.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovi {

FindDialog::FindDialog(QWidget* parent, SourceEditor& editor) : QDialog(parent), editor_(editor) {
    setObjectName(QStringLiteral("findDialog"));
    createControls();
}

void FindDialog::createControls() {
    searchField_ = new QLineEdit;
    searchField_->setObjectName(QStringLiteral("searchField"));
    replaceField_ = new QLineEdit;
    replaceField_->setObjectName(QStringLiteral("replaceField"));
    replaceLabel_ = new QLabel(QStringLiteral("&Ersetzen durch:"));
    replaceLabel_->setBuddy(replaceField_);
    caseBox_ = new QCheckBox(QStringLiteral("&Groß-/Kleinschreibung beachten"));
    caseBox_->setObjectName(QStringLiteral("caseBox"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Suchen nach:"), searchField_);
    fields->addRow(replaceLabel_, replaceField_);

    auto* buttons = new QDialogButtonBox(Qt::Vertical);
    auto* findButton =
        buttons->addButton(QStringLiteral("&Weitersuchen"), QDialogButtonBox::ActionRole);
    findButton->setObjectName(QStringLiteral("findButton"));
    findButton->setDefault(true);
    replaceButton_ = buttons->addButton(QStringLiteral("E&rsetzen"), QDialogButtonBox::ActionRole);
    replaceButton_->setObjectName(QStringLiteral("replaceButton"));
    replaceAllButton_ =
        buttons->addButton(QStringLiteral("&Alle ersetzen"), QDialogButtonBox::ActionRole);
    replaceAllButton_->setObjectName(QStringLiteral("replaceAllButton"));
    buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::RejectRole);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(caseBox_);
    left->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(buttons);

    connect(findButton, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(replaceButton_, &QPushButton::clicked, this, &FindDialog::replaceNext);
    connect(replaceAllButton_, &QPushButton::clicked, this, &FindDialog::replaceAll);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
}

void FindDialog::open(bool replacing) {
    setWindowTitle(replacing ? QStringLiteral("Ersetzen") : QStringLiteral("Suchen"));
    for (QWidget* part :
         {static_cast<QWidget*>(replaceLabel_), static_cast<QWidget*>(replaceField_),
          static_cast<QWidget*>(replaceButton_), static_cast<QWidget*>(replaceAllButton_)}) {
        part->setVisible(replacing);
    }
    const QString selected = editor_.textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) {
        searchField_->setText(selected);
    }
    show();
    raise();
    activateWindow();
    searchField_->setFocus();
    searchField_->selectAll();
}

void FindDialog::findNext() {
    if (searchField_->text().isEmpty()) {
        open(replaceField_->isVisible());
        return;
    }
    if (!editor_.findNext(searchField_->text(), matchCase())) {
        emit notFound(searchField_->text());
    }
}

void FindDialog::replaceNext() {
    if (!editor_.replaceNext(searchField_->text(), replaceField_->text(), matchCase())) {
        emit notFound(searchField_->text());
    }
}

void FindDialog::replaceAll() {
    const int count = editor_.replaceAll(searchField_->text(), replaceField_->text(), matchCase());
    if (count == 0) {
        emit notFound(searchField_->text());
        return;
    }
    emit replaced(count);
}

bool FindDialog::matchCase() const {
    return caseBox_->isChecked();
}

} // namespace tovi
