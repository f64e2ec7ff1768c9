#include "core/fight/journal/Frame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace frame {

namespace {

constexpr std::array<quint32, 256> crcTable() {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

} // namespace

quint32 crc32(const char *data, qsizetype size) {
    static constexpr auto table = crcTable();
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table[(c ^ quint8(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put32(QByteArray &out, quint32 v) {
    for (int k = 0; k < 4; ++k)
        out += char((v >> (8 * k)) & 0xFF);
}

quint32 get32(const char *p) {
    quint32 v = 0;
    for (int k = 0; k < 4; ++k)
        v |= quint32(quint8(p[k])) << (8 * k);
    return v;
}

QByteArray wrap(const QByteArray &contents) {
    QByteArray out;
    out.reserve(headerSize + contents.size());
    put32(out, quint32(contents.size()));
    put32(out, crc32(contents.constData(), contents.size()));
    out += contents;
    return out;
}

void Out::u(quint64 v) {
    char buffer[10];
    int n = 0;
    while (v >= 0x80) {
        buffer[n++] = char((v & 0x7F) | 0x80);
        v >>= 7;
    }
    buffer[n++] = char(v);
    bytes.append(buffer, n);
}

void Out::i(qint64 v) {
    u((quint64(v) << 1) ^ quint64(v >> 63));
}

void Out::d(double v) {
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    char buffer[8];
    for (int k = 0; k < 8; ++k)
        buffer[k] = char((bits >> (8 * k)) & 0xFF);
    bytes.append(buffer, 8);
}

void Out::s(const QString &v) {
    // Most texts are plain ASCII: they are their own UTF-8.
    const qsizetype size = v.size();
    if (size > maxTextBytes) // at least one byte a character
        m_ok = false;
    bool ascii = true;
    for (QChar c : v)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        u(quint64(size));
        const qsizetype at = bytes.size();
        bytes.resize(at + size);
        char *p = bytes.data() + at;
        for (QChar c : v)
            *p++ = char(c.unicode());
        return;
    }
    const QByteArray utf8 = v.toUtf8();
    if (utf8.size() > maxTextBytes)
        m_ok = false;
    u(quint64(utf8.size()));
    bytes += utf8;
}

In::In(const char *data, qsizetype size)
    : m_p(data), m_end(data + size),
      m_memory(std::min(std::size_t(size) * 32 + (std::size_t(4) << 20), std::size_t(256) << 20)) {}

bool In::spend(std::size_t bytes) {
    if (bytes > m_memory) {
        fail();
        return false;
    }
    m_memory -= bytes;
    return true;
}

int In::fail() {
    m_ok = false;
    m_p = m_end;
    return 0;
}

quint64 In::u() {
    quint64 v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (m_p == m_end)
            return fail();
        const quint8 byte = quint8(*m_p++);
        v |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return v;
    }
    return fail();
}

qint64 In::i() {
    const quint64 v = u();
    return qint64(v >> 1) ^ -qint64(v & 1);
}

qint64 In::in(qint64 low, qint64 high) {
    const qint64 v = i();
    if (v < low || v > high)
        return low + fail();
    return v;
}

bool In::b() {
    if (m_p == m_end)
        return fail();
    const quint8 byte = quint8(*m_p++);
    if (byte > 1)
        return fail();
    return byte == 1;
}

double In::d() {
    if (m_end - m_p < 8) {
        fail();
        return 0;
    }
    quint64 bits = 0;
    for (int k = 0; k < 8; ++k)
        bits |= quint64(quint8(*m_p++)) << (8 * k);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double In::finite() {
    const double v = d();
    if (!std::isfinite(v))
        return fail();
    return v;
}

QString In::s() {
    const quint64 size = u();
    if (!m_ok || size > quint64(m_end - m_p) || size > quint64(maxTextBytes) ||
        (size > 0 && !spend(32 + 2 * std::size_t(size)))) { // at most a UTF-16 unit a byte
        fail();
        return {};
    }
    const QString v = QString::fromUtf8(m_p, qsizetype(size));
    m_p += size;
    return v;
}

QByteArray In::bytes(std::size_t size) {
    if (!m_ok || size > std::size_t(m_end - m_p) || !spend(size)) {
        fail();
        return {};
    }
    const QByteArray v(m_p, qsizetype(size));
    m_p += size;
    return v;
}

std::size_t In::count(std::size_t most, std::size_t itemBytes) {
    const quint64 n = u();
    if (n > most || n > quint64(m_end - m_p) || !spend(std::size_t(n) * itemBytes))
        return fail();
    return std::size_t(n);
}

} // namespace frame
