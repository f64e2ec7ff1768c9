#include "ui/Look.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyleFactory>
#include <QTimer>
#include <cmath>

namespace look {

namespace {

double luminance(const QColor &colour) {
    auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

const QColor window(239, 239, 239);
const QColor ink(0, 0, 0);
const QColor greyed(85, 85, 85);
const QColor lockedBase(232, 232, 232);

// Selects the field's text when the focus comes in by Tab or a click; after a click, once the
// click has placed the cursor.
class SelectOnEntry : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::FocusIn) {
            auto *field = static_cast<QLineEdit *>(watched);
            switch (static_cast<QFocusEvent *>(event)->reason()) {
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::ShortcutFocusReason:
                field->selectAll();
                break;
            case Qt::MouseFocusReason:
                QTimer::singleShot(0, field, &QLineEdit::selectAll);
                break;
            default:
                break;
            }
        }
        return false;
    }
};

// Ctrl+Tab in a field of several lines types the tab that Tab no longer does.
class CtrlTabTypesTab : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Tab || key->modifiers() != Qt::ControlModifier)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept(); // the field takes the keys, not a shortcut
            return true;
        }
        static_cast<QPlainTextEdit *>(watched)->insertPlainText(QStringLiteral("\t"));
        return true;
    }
};

// Lets the window's undo and redo shortcuts through a field that would take them itself.
class UndoThrough : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const auto combination = key->keyCombination();
        return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
               combination == (Qt::CTRL | Qt::Key_Z) || combination == (Qt::CTRL | Qt::Key_Y) ||
               combination == (Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    }
};

} // namespace

const QColor &white() {
    static const QColor colour(255, 255, 255);
    return colour;
}
const QColor &yellow() {
    static const QColor colour(255, 255, 0);
    return colour;
}
const QColor &greyedText() {
    return greyed;
}
const QColor &marked() {
    static const QColor colour(205, 226, 255);
    return colour;
}
const QColor &markedStrong() {
    static const QColor colour(110, 165, 255);
    return colour;
}
const QColor &comaText() {
    static const QColor colour(150, 70, 0);
    return colour;
}
const QColor &deadText() {
    static const QColor colour(170, 0, 0);
    return colour;
}

QPalette palette() {
    QPalette p(ink, window);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::Button, window);
        p.setColor(group, QPalette::Base, off ? window : white());
        p.setColor(group, QPalette::AlternateBase, QColor(247, 247, 247));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(group, role, off ? greyed : ink);
        p.setColor(group, QPalette::PlaceholderText, greyed);
        p.setColor(group, QPalette::Highlight, QColor(38, 110, 170));
        p.setColor(group, QPalette::HighlightedText, white());
        p.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 220));
        p.setColor(group, QPalette::ToolTipText, ink);
        p.setColor(group, QPalette::Link, QColor(0, 0, 255));
        p.setColor(group, QPalette::BrightText, white());
    }
    return p;
}

void apply() {
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QApplication::setPalette(palette());
}

double contrast(const QColor &a, const QColor &b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void setRosterColours(QAbstractItemView *view) {
    QPalette p = view->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, white());
        p.setColor(group, QPalette::Text, group == QPalette::Disabled ? greyed : ink);
    }
    view->setPalette(p);
}

void setFieldHighlight(QLineEdit *field, bool highlighted) {
    QPalette p = field->palette();
    const QColor &colour = highlighted ? yellow() : white();
    if (p.color(QPalette::Disabled, QPalette::Base) == colour &&
        p.color(QPalette::Active, QPalette::Base) == colour)
        return;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, colour);
        p.setColor(group, QPalette::Text, group == QPalette::Disabled ? greyed : ink);
    }
    field->setPalette(p);
}

void setLockedLook(QWidget *field, bool locked) {
    QPalette p = field->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::Base, locked ? lockedBase : white());
    field->setPalette(p);
}

void tabMovesOn(QPlainTextEdit *field) {
    field->setTabChangesFocus(true);
    field->installEventFilter(new CtrlTabTypesTab(field));
}

void leaveUndoToWindow(QWidget *field) {
    field->installEventFilter(new UndoThrough(field));
}

void selectAllOnEntry(QLineEdit *field) {
    field->installEventFilter(new SelectOnEntry(field));
}

} // namespace look
