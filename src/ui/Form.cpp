#include "ui/Form.h"

#include <QCloseEvent>

Form::Form(const QString &objectName, QWidget *parent) : QWidget(parent) {
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Torvane"));
}

void Form::setClientTwips(int width, int height) {
    setFixedSize(twips(width), twips(height));
}

void Form::closeEvent(QCloseEvent *event) {
    event->ignore();
    hide();
    emit closedByUser();
}
