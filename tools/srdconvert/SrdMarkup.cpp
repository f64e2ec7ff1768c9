#include "SrdMarkup.h"

#include <QFile>
#include <QRegularExpression>

namespace srd {

// The text of a cell: tags gone (a line break a blank, a footnote mark dropped), blanks single.
QString cellText(QString html) {
    static const QRegularExpression breakTag(QStringLiteral("<br\\s*/?>"));
    static const QRegularExpression footnote(QStringLiteral("<sup>[A-Z]</sup>"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    html.replace(breakTag, QStringLiteral(" "));
    html.replace(footnote, QString());
    html.replace(tag, QString());
    html.replace(u'\u00ad', QString()); // soft hyphens
    return html.simplified();
}

std::vector<Row> rowsOf(const QString &table) {
    static const QRegularExpression rowPattern(QStringLiteral("<tr[^>]*>(.*?)</tr>"));
    static const QRegularExpression cellPattern(QStringLiteral("<(td|th)[^>]*>(.*?)</\\1>"));
    std::vector<Row> rows;
    for (auto r = rowPattern.globalMatch(table); r.hasNext();) {
        Row row;
        const QString inner = r.next().captured(1);
        for (auto c = cellPattern.globalMatch(inner); c.hasNext();) {
            const auto cell = c.next();
            row.push_back({cellText(cell.captured(2)), cell.captured(1) == u"th"});
        }
        if (!row.empty())
            rows.push_back(std::move(row));
    }
    return rows;
}

// A heading's text without its marks ("## Angel, Astral Deva").
QString headingText(const QString &line) {
    static const QRegularExpression marks(QStringLiteral("^#+\\s*|\\\\|\\*\\*"));
    return QString(line).replace(marks, QString()).simplified();
}

// A label as compared: lower case, letters only ("Base Attack/ Grapple:" is "baseattackgrapple").
QString labelKey(const QString &label) {
    QString key;
    for (QChar c : label) {
        if (c.isLetter())
            key += c.toLower();
    }
    return key;
}

bool isLabel(const QString &cell) {
    return cell.contains(u':');
}

const QStringList &sizeWords() {
    static const QStringList words{"Fine",  "Diminutive", "Tiny",       "Small",   "Medium",
                                   "Large", "Huge",       "Gargantuan", "Colossal"};
    return words;
}

bool startsWithSize(const QString &text) {
    const QString first = text.section(u' ', 0, 0).section(u'-', 0, 0);
    return sizeWords().contains(first);
}

// The items that legal-information.md designates Product Identity.
QStringList productIdentity(const QString &folder) {
    QFile file(folder + QStringLiteral("/legal-information.md"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression sentence(
        QStringLiteral("designated Product Identity[^:]*:\\s*([^\\n]*?)\\.\\s*$"),
        QRegularExpression::MultilineOption);
    const auto match = sentence.match(text);
    if (!match.hasMatch())
        return {};
    static const QRegularExpression bracketed(QStringLiteral("\\([^)]*\\)"));
    QString list = match.captured(1);
    list.replace(bracketed, QString());
    QStringList items;
    for (QString item : list.split(u',')) {
        item = item.simplified();
        if (item.startsWith(QStringLiteral("and ")))
            item = item.mid(4);
        if (!item.isEmpty())
            items << item;
    }
    return items;
}

QString foldApostrophes(QString text) {
    return text.replace(u'\u2019', u'\'').toLower();
}

bool namesProductIdentity(const QStringList &items, const QStringList &texts) {
    for (const QString &item : items) {
        const QRegularExpression word(QStringLiteral("(?<![\\p{L}])") +
                                      QRegularExpression::escape(foldApostrophes(item)) +
                                      QStringLiteral("(?![\\p{L}])"));
        for (const QString &text : texts) {
            if (word.match(foldApostrophes(text)).hasMatch())
                return true;
        }
    }
    return false;
}

} // namespace srd
