#include "ui/Form.h"

#include <QCloseEvent>
#include <QGuiApplication>

Form::Form(const QString &objectName, QWidget *parent) : QWidget(parent) {
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Torvane"));
}

void Form::setClientTwips(int width, int height) {
    setFixedSize(twips(width), twips(height));
}

void Form::closeEvent(QCloseEvent *event) {
    event->ignore();
    emit closeRequested();
}

void Form::bringToFront() {
    show();
    // Window stacking means nothing without a window system (offscreen runs).
    if (QGuiApplication::platformName() != u"offscreen")
        raise();
}
