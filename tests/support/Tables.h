#pragma once

#include <QTest>
#include <initializer_list>

// A data table whose columns are all texts, one row per line: the first item of a row names it.
inline void textTable(std::initializer_list<const char *> columns,
                      std::initializer_list<std::initializer_list<const char *>> rows) {
    for (const char *column : columns)
        QTest::addColumn<QString>(column);
    for (const auto &row : rows) {
        auto item = row.begin();
        QTestData &data = QTest::newRow(*item);
        for (++item; item != row.end(); ++item)
            data << QString::fromUtf8(*item);
    }
}

// "1 2 -3" as numbers.
inline QList<int> numbers(const QString &text) {
    QList<int> values;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
        values << word.toInt();
    return values;
}
