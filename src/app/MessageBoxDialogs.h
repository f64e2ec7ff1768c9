#pragma once

#include "common/Dialogs.h"

#include <QPointer>

class QWidget;

// The program's message boxes: QMessageBox and QInputDialog, no icons, Italian buttons, each
// centred over the window it belongs to.
class MessageBoxDialogs : public Dialogs {
public:
    void inform(const QString &text) override;
    bool ask(const QString &text, const QString &title) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;

    // The window a box belongs to: the active one; while no window is active (between two boxes,
    // or while the window system moves the focus), the one the last box belonged to.
    static QWidget *ownerFrom(QWidget *active, QWidget *last);

private:
    QWidget *owner();
    QPointer<QWidget> m_lastOwner;
};
