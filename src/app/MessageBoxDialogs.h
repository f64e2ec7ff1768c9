#pragma once

#include "common/Dialogs.h"

class QWidget;

// The program's message boxes: QMessageBox and QInputDialog, no icons, Italian buttons.
class MessageBoxDialogs : public Dialogs {
public:
    void inform(const QString &text) override;
    bool ask(const QString &text, const QString &title) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;

private:
    static QWidget *owner();
};
