#pragma once

#include <QString>
#include <optional>

// Every message box and input box of the program goes through this interface, so that the
// logic can run under test with scripted answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // OK button only, no icon, title "Torvane".
    virtual void inform(const QString &text) = 0;
    // Yes and No buttons, no icon, the given title; true only for Yes.
    virtual bool ask(const QString &text, const QString &title) = 0;
    // One-line input box; std::nullopt when cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title,
                                         const QString &defaultText) = 0;
};
