#include "app/MessageBoxDialogs.h"

#include "core/text/Shown.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>

QWidget *MessageBoxDialogs::ownerFrom(QWidget *active, QWidget *last) {
    // A box over a box belongs to the window under them.
    while (qobject_cast<QDialog *>(active) && active->parentWidget())
        active = active->parentWidget()->window();
    if (active && active->isVisible() && !qobject_cast<QDialog *>(active))
        return active;
    if (last && last->isVisible())
        return last;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && !qobject_cast<QDialog *>(w) && !w->objectName().isEmpty())
            return w;
    return nullptr;
}

QWidget *MessageBoxDialogs::owner() {
    m_lastOwner = ownerFrom(QApplication::activeWindow(), m_lastOwner);
    return m_lastOwner;
}

void MessageBoxDialogs::inform(const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Torvane"), shown::lines(text),
                    QMessageBox::Ok, owner());
    box.exec();
}

bool MessageBoxDialogs::ask(const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::NoIcon, title, shown::lines(text),
                    QMessageBox::Yes | QMessageBox::No, owner());
    // Enter answers Yes, except where Yes ends the fight or throws something away.
    const bool risky = title == u"Terminare?" || title == u"Attenzione!" ||
                       text.startsWith(u"Vuoi davvero eliminare ");
    box.setDefaultButton(risky ? QMessageBox::No : QMessageBox::Yes);
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
