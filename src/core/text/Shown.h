#pragma once

#include <QString>
#include <QStringList>

// How much of a text is shown where the program draws it: a cell, a label, a line of the history
// or of a message. A name or a note of megabytes (a sheet may hold one) would take seconds to lay
// out at every repaint; what is drawn is its first characters, the text itself stays whole.
namespace shown {

constexpr qsizetype most = 500;

// The text cut to `most` characters, the cut marked with an ellipsis.
inline QString cut(const QString &text) {
    return text.size() <= most ? text : text.left(most - 1) + QChar(0x2026);
}

// Each line of the text so cut.
inline QString lines(const QString &text) {
    if (text.size() <= most)
        return text;
    QStringList each = text.split(u'\n');
    for (QString &line : each)
        line = cut(line);
    return each.join(u'\n');
}

} // namespace shown
