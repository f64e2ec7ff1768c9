#include "app/MessageBoxDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

QWidget *MessageBoxDialogs::owner() {
    return QApplication::activeWindow();
}

void MessageBoxDialogs::inform(const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Torvane"), text, QMessageBox::Ok, owner());
    box.exec();
}

bool MessageBoxDialogs::ask(const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> MessageBoxDialogs::input(const QString &prompt, const QString &title,
                                                const QString &defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}
