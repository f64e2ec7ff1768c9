#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The record encoding of every data file: each field between double quotes, fields separated by
// one comma, the record ended by CR LF, one byte per character in the Windows-1252 code page.
namespace record {

// Encodes one record. Characters that Windows-1252 cannot hold come out as the substitute byte;
// callers that need a lossless file check `representable` first.
QByteArray encode(const QStringList &fields);

// Reads `count` fields of the first record. std::nullopt when the bytes do not hold that many
// well-formed fields (a quoted field without its closing quote, too few fields, a NUL byte).
std::optional<QStringList> decode(const QByteArray &bytes, int count);

// The entries of a list file, read line by line (an entry never holds a line break): a damaged
// line (a quote not closed, a stray quote, a NUL or another control byte) loses only itself and
// marks the list as damaged. Blank lines hold nothing.
struct List {
    QStringList entries;
    bool damaged = false;
};
List decodeList(const QByteArray &bytes);

// A list file holding these entries, one record each.
QByteArray encodeList(const QStringList &entries);

// True when every character of the text has a byte of its own in Windows-1252.
bool representable(const QString &text);

// A double quote would end its field early: in the files it stands as two apostrophes.
QString quoteSafe(QString text);
// ...and back when read: every two apostrophes become a double quote, two typed ones too.
QString quoteBack(QString text);

// Free texts keep each comma as "$" (sheets and groups) or "$£$" (notepad pages) in the files,
// and each double quote as `quoteSafe` does...
enum class Scheme { Sheet, Notepad };
QString substitute(QString text, Scheme scheme);
// ...and reversed after reading.
QString restore(QString text, Scheme scheme);

// Line breaks: the files hold CR LF, the text boxes a bare LF.
QString toCrLf(QString text);
QString fromCrLf(QString text);

} // namespace record
