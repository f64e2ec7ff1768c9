#pragma once

#include <QComboBox>
#include <QStringList>

// Refills a chooser of saved items in list order, showing the first one.
inline void refillChooser(QComboBox *chooser, const QStringList &entries) {
    chooser->clear();
    chooser->addItems(entries);
    if (chooser->count() > 0)
        chooser->setCurrentIndex(0);
}
