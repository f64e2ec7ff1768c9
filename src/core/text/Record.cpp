#include "core/text/Record.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace record {

namespace {

constexpr char codePage[] = "windows-1252";

QString toText(QByteArrayView bytes) {
    QStringDecoder decoder(codePage);
    return decoder.decode(bytes);
}

class Reader {
public:
    explicit Reader(const QString &text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    // One field as the reader of the record encoding takes it.
    std::optional<QString> field() {
        while (!atEnd() && isBlank(m_text[m_pos]))
            ++m_pos;
        if (atEnd())
            return std::nullopt;
        QString value;
        if (m_text[m_pos] == u'"') {
            const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
            if (close < 0)
                return std::nullopt; // cut off inside a field
            value = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            // Whatever stands between the closing quote and the separator is passed over.
            while (!atEnd() && m_text[m_pos] != u',' && !isLineEnd(m_text[m_pos]))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (!atEnd() && m_text[m_pos] != u',' && !isLineEnd(m_text[m_pos]))
                ++m_pos;
            value = m_text.mid(start, m_pos - start).trimmed();
        }
        skipSeparator();
        return value;
    }

private:
    static bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
    static bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }

    void skipSeparator() {
        if (atEnd())
            return;
        if (m_text[m_pos] == u',') {
            ++m_pos;
            return;
        }
        if (m_text[m_pos] == u'\r')
            ++m_pos;
        if (!atEnd() && m_text[m_pos] == u'\n')
            ++m_pos;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

} // namespace

bool representable(const QString &text) {
    QStringEncoder encoder(codePage);
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError();
}

QByteArray encode(const QStringList &fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        line += u'"';
        line += fields[i];
        line += u'"';
    }
    line += QStringLiteral("\r\n");
    QStringEncoder encoder(codePage);
    return encoder.encode(line);
}

std::optional<QStringList> decode(const QByteArray &bytes, int count) {
    if (bytes.contains('\0'))
        return std::nullopt;
    const QString text = toText(bytes);
    Reader reader(text);
    QStringList fields;
    fields.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto value = reader.field();
        if (!value)
            return std::nullopt;
        fields.append(*value);
    }
    return fields;
}

List decodeList(const QByteArray &bytes) {
    List list;
    for (QByteArray &line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const bool control = std::any_of(line.begin(), line.end(), [](char c) {
            return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f;
        });
        const QString text = toText(line);
        Reader reader(text);
        QStringList fields;
        bool whole = !control;
        while (whole && !reader.atEnd()) {
            const auto value = reader.field();
            whole = value && !value->contains(u'"');
            if (whole)
                fields.append(*value);
        }
        if (whole)
            list.entries += fields;
        else
            list.damaged = true;
    }
    return list;
}

QByteArray encodeList(const QStringList &entries) {
    QByteArray bytes;
    for (const QString &entry : entries)
        bytes += encode({entry});
    return bytes;
}

QString quoteSafe(QString text) {
    return text.replace(u'"', QStringLiteral("''"));
}

QString quoteBack(QString text) {
    return text.replace(QStringLiteral("''"), QStringLiteral("\""));
}

namespace {

QString commaFor(Scheme scheme) {
    return scheme == Scheme::Sheet ? QStringLiteral("$") : QStringLiteral("$£$");
}

} // namespace

QString substitute(QString text, Scheme scheme) {
    return quoteSafe(text.replace(u',', commaFor(scheme)));
}

QString restore(QString text, Scheme scheme) {
    return quoteBack(text.replace(commaFor(scheme), QStringLiteral(",")));
}

QString toCrLf(QString text) {
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

QString fromCrLf(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace record
