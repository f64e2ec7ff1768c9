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

quint32 crc32(const char *data, qsizetype size);
void put32(QByteArray &out, quint32 value);
quint32 get32(const char *p);
// The record of these contents: length, checksum, contents.
QByteArray wrap(const QByteArray &contents);

// Writes a record's fields.
class Out {
public:
    QByteArray bytes;
    void u(quint64 v);
    void i(qint64 v);
    void b(bool v) { bytes += char(v ? 1 : 0); }
    void d(double v);
    void s(const QString &v);
};

// Reads what Out wrote; any read past the end, or a value out of its range, makes it fail, and
// every read after a failure gives nothing.
class In {
public:
    In(const char *data, qsizetype size) : m_p(data), m_end(data + size) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p == m_end; }
    quint64 u();
    qint64 i();
    // A whole number in [low, high].
    qint64 in(qint64 low, qint64 high);
    bool b();
    double d();
    QString s();
    // `size` bytes as they stand.
    QByteArray bytes(std::size_t size);
    // A count of items that each take at least one byte, at most `most`.
    std::size_t count(std::size_t most);

private:
    int fail();
    const char *m_p;
    const char *m_end;
    bool m_ok = true;
};

} // namespace frame
