#pragma once

#include <QString>
#include <QStringList>

// The items that the crash test's saver writes over and over: what each one holds is a function
// of a counter, so a reader can tell a complete item from a torn one.
namespace churn {

struct Kind {
    const char *prefix;
    int names;  // how many different items of this kind
    int fields; // fields of one record
};
inline constexpr Kind kinds[] = {{"S", 5, 18}, {"G", 4, 10}, {"P", 3, 2}};

inline QStringList fields(int counter, int count) {
    QStringList fields{QStringLiteral("x"), QString::number(counter)};
    for (int i = 2; i < count; ++i)
        fields << QStringLiteral("%1-%2").arg(counter).arg(i);
    QString lines;
    for (int line = 0; line < 1 + counter % 200; ++line)
        lines += QStringLiteral("riga %1 del salvataggio %2\\r\\n").arg(line).arg(counter);
    // The last field is long and of varying length; it still starts with the counter.
    fields[count - 1] = QString::number(counter) + u' ' + lines;
    return fields;
}

// True when the fields are exactly what some save wrote.
inline bool complete(const QStringList &read, int count) {
    if (read.size() != count)
        return false;
    bool ok = false;
    const int counter = read.value(1).section(u' ', 0, 0).toInt(&ok);
    return ok && read.mid(1) == fields(counter, count).mid(1);
}

} // namespace churn
