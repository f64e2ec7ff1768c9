#pragma once

#include <QString>
#include <QStringList>

// A notepad page: its name and its text (line breaks as CR LF).
struct Page {
    static constexpr int fieldCount = 2;
    static const QString defaultText;

    QString name;
    QString text = defaultText;

    QStringList toRecord() const;
    // The page of a file loaded under `loadedAs` (the name it was saved and listed under).
    static Page fromRecord(const QStringList &fields, const QString &loadedAs);
};
