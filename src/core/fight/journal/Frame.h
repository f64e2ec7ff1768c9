#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// The saved fight's framing: each record is its length and a CRC-32 of its contents (32 bits each,
// little endian), then the contents, written as whole numbers in variable-length form, booleans as
// one byte, doubles as their 8 bytes, texts as UTF-8 with their length.
namespace frame {

constexpr int headerSize = 8; // length and checksum
// The longest text, in bytes of UTF-8: a sheet's field (a file of at most 4 MB of one-byte
// characters) is at most 12 MiB.
constexpr qsizetype maxTextBytes = qsizetype(16) << 20;

quint32 crc32(const char *data, qsizetype size);
void put32(QByteArray &out, quint32 value);
quint32 get32(const char *p);
// The record of these contents: length, checksum, contents.
QByteArray wrap(const QByteArray &contents);

// Writes a record's fields; not ok() once a text is longer than the reader accepts.
class Out {
public:
    QByteArray bytes;
    bool ok() const { return m_ok; }
    // What is written holds more than the reader accepts.
    void refuse() { m_ok = false; }
    void u(quint64 v);
    void i(qint64 v);
    void b(bool v) { bytes += char(v ? 1 : 0); }
    void d(double v);
    void s(const QString &v);

private:
    bool m_ok = true;
};

// Reads what Out wrote; any read past the end, or a value out of its range, makes it fail, and
// every read after a failure gives nothing.
//
// What is read is held in memory larger than it is written (a text of one byte is a string, a
// change of three bytes a whole change): what the reader may make of a record is bounded, at 32
// times its size and 4 MiB (a step of a fight takes at most about 25 times its size: thousands of
// one-character texts), and never more than 256 MiB; reading more than that fails.
class In {
public:
    In(const char *data, qsizetype size);
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p == m_end; }
    quint64 u();
    qint64 i();
    // A whole number in [low, high].
    qint64 in(qint64 low, qint64 high);
    bool b();
    double d();
    // A double that is a number (neither infinite nor NaN).
    double finite();
    // A text of at most maxTextBytes.
    QString s();
    // `size` bytes as they stand.
    QByteArray bytes(std::size_t size);
    // A count of items that each take at least one byte, at most `most`, each held in
    // `itemBytes` of memory.
    std::size_t count(std::size_t most, std::size_t itemBytes);

private:
    int fail();
    bool spend(std::size_t bytes);
    const char *m_p;
    const char *m_end;
    std::size_t m_memory; // what may still be made of the record
    bool m_ok = true;
};

} // namespace frame
