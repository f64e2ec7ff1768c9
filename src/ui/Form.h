#pragma once

#include "common/Twips.h"

#include <QLabel>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <optional>

// A window of the program: captioned "Torvane", with controls placed at twip positions. Its
// close box destroys nothing: it only asks, and the hub decides what closing means.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString &objectName, QWidget *parent = nullptr);

    // Where the window's controls stand, at their design positions.
    QWidget *canvas();
    // The size of the controls' area, in twips or pixels. The window takes that size; where the
    // screen is too small for it (a large scale factor, a small laptop), the window fits the
    // screen instead and scrolls.
    void setClientTwips(int width, int height);
    void setClientSize(QSize size);

    // Shows the window in front of the others: the first time centred over the window that opens
    // it (or over the screen, with none), afterwards where it was left.
    void showFrom(const QWidget *opener = nullptr);
    // The same, but the first time beside the opener (right of it where the screen has room,
    // else left), for a window that is read alongside it.
    void showBeside(const QWidget *opener);
    void bringToFront() { showFrom(nullptr); }

signals:
    void closeRequested();
    void leaveRequested(); // Ctrl+Q: the program closes, a fight in progress stays saved

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;

private:
    void position(const QWidget *opener, bool beside);
    std::optional<QPoint> m_place; // where the window stood when it was last shown
    QWidget *m_canvas = nullptr;
    bool m_selectOnActivation = false;
    bool m_fieldsReady = false;
};

// Creates a control of type T as a child of `parent`, names it and places it (twips).
template <typename T, typename... Args>
T *place(QWidget *parent, const QString &objectName, QRect twipsGeometry, Args &&...args) {
    auto *widget = new T(std::forward<Args>(args)..., parent);
    widget->setObjectName(objectName);
    widget->setGeometry(twipsGeometry);
    return widget;
}

inline QLabel *placeLabel(QWidget *parent, const QString &objectName, const QString &text,
                          QRect twipsGeometry) {
    return place<QLabel>(parent, objectName, twipsGeometry, text);
}

// The keyboard's Tab order, first to last.
inline void setTabChain(std::initializer_list<QWidget *> chain) {
    QWidget *previous = nullptr;
    for (QWidget *w : chain) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// "Name(3)": the object name of item 3 of a control array.
inline QString item(const char *name, int index) {
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}
