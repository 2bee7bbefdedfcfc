#include "workbench/user_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tovi {
namespace {

// The first filter of the list is the one selected when the dialog opens.
QString firstFilter(const QString& filters) {
    return filters.section(QStringLiteral(";;"), 0, 0);
}

} // namespace

bool QtUserDialogs::question(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

void QtUserDialogs::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtUserDialogs::error(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.exec();
}

QString QtUserDialogs::openFileName(QWidget* parent, const QString& title, const QString& filters) {
    QString selected = firstFilter(filters);
    return QFileDialog::getOpenFileName(parent, title, QString(), filters, &selected);
}

QString QtUserDialogs::saveFileName(QWidget* parent, const QString& title, const QString& preset,
                                    const QString& filters) {
    QString selected = firstFilter(filters);
    // No default suffix: a name typed without extension is saved as typed.
    return QFileDialog::getSaveFileName(parent, title, preset, filters, &selected,
                                        QFileDialog::DontConfirmOverwrite);
}

int QtUserDialogs::lineNumber(QWidget* parent, const QString& title, const QString& label,
                              int current, int highest) {
    bool chosen = false;
    const int line = QInputDialog::getInt(parent, title, label, current, 1, highest, 1, &chosen);
    return chosen ? line : 0;
}

} // namespace tovi
