#pragma once

#include <QtTest>
#include <array>

// A file's bytes; "(unreadable)" when it cannot be read.
inline QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}
inline bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The text a cell stands for: \n \r \t \0, \xNN (U+00NN), and \ before any other character.
inline QString unescaped(QString text) {
    static const QRegularExpression escape(QStringLiteral(R"(\\(x[0-9A-Fa-f]{2}|.))"));
    for (auto m = escape.match(text); m.hasMatch(); m = escape.match(text, m.capturedStart() + 1)) {
        const QString e = m.captured(1);
        const qsizetype named = QStringView(u"nrt0").indexOf(e[0]);
        text.replace(m.capturedStart(), m.capturedLength(),
                     e.size() == 3 ? QChar(e.mid(1).toUShort(nullptr, 16))
                     : named >= 0  ? QChar(u"\n\r\t\0"[named])
                                   : e[0]);
    }
    return text;
}

// The table named after the running test in the test's data file (":/tables"), its cells texts,
// one list a row ("cells"), which the test takes with cells<N>(). A line "[test] column | column"
// starts a table, each line after it is "row name | cell | cell" ('#' starts a comment). Cells are
// trimmed, then unescaped: "\|" is a bar, "\x20" a space that stays.
inline void fileTable() {
    const QString text = QString::fromUtf8(bytesOf(QStringLiteral(":/tables")));
    const QString wanted = QStringLiteral("[%1]").arg(QTest::currentTestFunction());
    QTest::addColumn<QStringList>("cells");
    qsizetype columns = -1;
    int rows = 0;
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(u'[')) {
            columns = line.section(u' ', 0, 0) == wanted ? line.count(u'|') + 1 : -1;
            continue;
        }
        if (columns < 0 || line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        static const QRegularExpression bar(QStringLiteral(R"((?<!\\)\|)"));
        QStringList cells = line.split(bar);
        for (QString &cell : cells)
            cell = unescaped(cell.trimmed());
        const QString name = cells.takeFirst();
        if (cells.size() != columns)
            qFatal("row %s: %d cells for %d columns", qPrintable(name), int(cells.size()),
                   int(columns));
        QTest::newRow(qPrintable(name)) << cells;
        ++rows;
    }
    if (rows == 0)
        qFatal("no table %s in the data file", qPrintable(wanted));
}

// The cells of the running row.
template <std::size_t N> std::array<QString, N> cells() {
    const auto &row =
        *static_cast<QStringList *>(QTest::qData("cells", qMetaTypeId<QStringList>()));
    if (row.size() != qsizetype(N))
        qFatal("%d cells taken from a row of %d", int(N), int(row.size()));
    std::array<QString, N> taken;
    std::copy(row.begin(), row.end(), taken.begin());
    return taken;
}

// "1 2 -3" as numbers.
inline QList<int> numbers(const QString &text) {
    QList<int> values;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
        values << word.toInt();
    return values;
}
