#include "SrdReader.h"

#include "SrdMarkup.h"

#include "core/bestiary/Catalogue.h"
#include "core/bestiary/Statblock.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <map>

using namespace srd;

namespace {

// --- The reader -------------------------------------------------------------------------------

struct Found {
    Monster monster;
    QString heading; // the heading above its table, for Product Identity
};

class Reader {
public:
    explicit Reader(Conversion &out) : m_out(out) {}

    void readFile(const QString &path);
    std::vector<Found> found;

private:
    void statblockTable(const Table &table);
    void dragonTable(const Table &table, const QString &caption);
    struct DragonAges {
        Table table;
        QString type = QStringLiteral("Dragon"); // "Dragon (Fire)"
        std::map<QString, QString> ratings;      // age in lower case → challenge rating
    };
    void dragonsOf(const QString &colour, const DragonAges &ages, const Table &abilities);
    // One line a table: its place, then each thing that could not be read.
    void notWhole(const Table &table, const QString &what) {
        const QString place = m_file + QStringLiteral(", ") + table.heading +
                              QStringLiteral(" (table ") + QString::number(table.number) +
                              QStringLiteral("): ");
        if (!m_out.notWhole.isEmpty() && m_out.notWhole.last().startsWith(place))
            m_out.notWhole.last() += QStringLiteral("; ") + what;
        else
            m_out.notWhole << place + what;
    }
    void keep(const Table &table, const Statblock &block, const QString &heading);

    Conversion &m_out;
    QString m_file;
    QStringList m_section;                      // the last lines of text before the table
    std::map<QString, DragonAges> m_dragonAges; // colour → its "… Dragons by Age" table
    std::map<QString, std::map<QString, QString>> m_dragonSizes; // size → attack → damage
};

void Reader::readFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_file = QFileInfo(path).fileName();
    m_dragonSizes.clear();
    m_dragonAges.clear();
    QString heading;
    int number = 0;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(u'#')) {
            heading = headingText(line);
            continue;
        }
        if (!line.contains(QStringLiteral("<table"))) {
            if (!line.trimmed().isEmpty())
                m_section << line.trimmed();
            if (m_section.size() > 60)
                m_section.removeFirst();
            continue;
        }
        ++m_out.tables;
        Table table{rowsOf(line), heading, ++number};
        if (table.rows.empty())
            continue;
        // A caption is a first row of one cell across the table, else the heading names it.
        const QString caption = table.rows.front().size() == 1 && table.rows.size() > 1
                                    ? table.rows.front().front().text
                                    : heading;
        const bool statblock = std::any_of(table.rows.begin(), table.rows.end(), [](const Row &r) {
            return labelKey(r.front().text) == u"hitdice" && isLabel(r.front().text);
        });
        if (statblock)
            statblockTable(table);
        else
            dragonTable(table, caption);
        m_section.clear();
    }
}

void Reader::keep(const Table &table, const Statblock &block, const QString &heading) {
    if (!block.complete())
        notWhole(table, block.monster.name + QStringLiteral(": ") + QStringLiteral("missing ") +
                            block.missing().join(QStringLiteral(", ")));
    if (!block.has(Statblock::HitPoints) || !block.has(Statblock::Name)) {
        notWhole(table,
                 (block.monster.name.isEmpty() ? QStringLiteral("a column") : block.monster.name) +
                     QStringLiteral(": left out, without hit points"));
        return;
    }
    found.push_back({block.monster, heading});
}

void Reader::statblockTable(const Table &table) {
    std::size_t columns = 0;
    for (const Row &row : table.rows)
        columns = std::max(columns, row.size() - 1);
    if (columns == 0)
        return;
    ++m_out.statblockTables;
    // A row's label and its value for each column. The values follow the label, but where a row
    // lacks its label cell they start in it ("Colossal Outsider" under the names), and where the
    // label cell also holds the first column's value ("Special Attacks: —") the others follow.
    struct Split {
        QString label;
        std::vector<QString> values;
    };
    auto split = [&](const Row &row) {
        Split s{QString(), std::vector<QString>(columns)};
        static const QRegularExpression labelAndValue(QStringLiteral("^([^:]*:)\\s*(\\S.*)$"));
        const QString &first = row.front().text;
        const auto inLabel = labelAndValue.match(first);
        std::size_t from = 1; // the cell of the first column's value
        if (row.size() == columns && columns > 1 && !isLabel(first)) {
            from = 0;
        } else if (inLabel.hasMatch()) {
            s.label = inLabel.captured(1);
            s.values[0] = inLabel.captured(2);
            for (std::size_t k = 1; k < columns && k < row.size(); ++k)
                s.values[k] = row[k].text;
            return s;
        } else {
            s.label = first;
        }
        for (std::size_t k = 0; k < columns && from + k < row.size(); ++k)
            s.values[k] = row[from + k].text;
        return s;
    };
    std::size_t first = 0; // the row of the hit dice
    while (labelKey(table.rows[first].front().text) != u"hitdice")
        ++first;
    std::vector<QStringList> heads(columns); // the cells above the hit dice, per column
    for (std::size_t r = 0; r < first; ++r) {
        const auto v = split(table.rows[r]).values;
        for (std::size_t k = 0; k < columns; ++k) {
            if (!v[k].isEmpty())
                heads[k] << v[k];
        }
    }
    for (std::size_t k = 0; k < columns; ++k) {
        QStringList lines;
        for (std::size_t r = first; r < table.rows.size(); ++r) {
            const Split row = split(table.rows[r]);
            lines << row.label + u' ' + row.values[k];
        }
        Statblock block = readStatblock(lines.join(u'\n'));
        // The name is the column's first cell, the size and type the cells after it.
        QStringList head = heads[k];
        const auto size = std::find_if(head.begin(), head.end(), startsWithSize);
        if (size != head.end()) {
            block.monster.sizeType = QStringList(size, head.end()).join(u' ');
            block.found.set(Statblock::SizeType);
        }
        QString name = QStringList(head.begin(), size).join(QStringLiteral(", "));
        if (name.isEmpty())
            name = table.heading;
        else if (startsWithSize(name) && !name.contains(u' '))
            name = table.heading + QStringLiteral(", ") + name; // a column named by size alone
        static const QRegularExpression tightComma(QStringLiteral(",(?=\\S)"));
        block.monster.name = name.replace(tightComma, QStringLiteral(", ")); // "Titan,Elder"
        block.found.set(Statblock::Name, !name.isEmpty());
        keep(table, block, table.heading);
    }
}

// --- The true dragons -------------------------------------------------------------------------

// The column whose header starts with `start` (letters only, lower case), or -1.
int columnOf(const Row &header, const QString &start) {
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (labelKey(header[c].text).startsWith(start))
            return static_cast<int>(c);
    }
    return -1;
}

// The header row ("Age", "Size", …) of a dragon's table and the rows after it.
const Row *headerRow(const Table &table, const QString &first) {
    for (const Row &row : table.rows) {
        if (labelKey(row.front().text) == first)
            return &row;
    }
    return nullptr;
}

void Reader::dragonTable(const Table &table, const QString &caption) {
    static const QRegularExpression ages(QStringLiteral("^(.+) Dragons by Age$"));
    static const QRegularExpression abilities(QStringLiteral("^(.+) Dragon Abilities by Age$"));
    if (const Row *header = headerRow(table, QStringLiteral("size"));
        header && columnOf(*header, QStringLiteral("bite")) >= 0) {
        // The damage of a dragon's natural weapons by size: the later table (the epic one)
        // stands for the dragons after it.
        for (const Row &row : table.rows) {
            if (&row == header || row.size() != header->size())
                continue;
            for (std::size_t c = 1; c < row.size(); ++c)
                m_dragonSizes[row.front().text][labelKey((*header)[c].text)] = row[c].text;
        }
        return;
    }
    if (const auto match = ages.match(caption); match.hasMatch()) {
        // The type ("Dragon (Fire)") and the challenge rating of each age stand before it.
        ++m_out.statblockTables;
        DragonAges dragon;
        dragon.table = table;
        static const QRegularExpression typeLine(
            QStringLiteral("^\\**\\s*(Dragon\\s*\\([^)]*\\))"));
        static const QRegularExpression ratingLine(
            QStringLiteral("Challenge Ratings?:\\**\\s*(.*)$"));
        static const QRegularExpression ageRating(QStringLiteral("^(.*\\S)\\s+(\\d+)$"));
        for (const QString &line : m_section) {
            if (const auto t = typeLine.match(line); t.hasMatch())
                dragon.type = t.captured(1);
            if (const auto r = ratingLine.match(line); r.hasMatch()) {
                for (const QString &part : r.captured(1).split(u';')) {
                    if (const auto a = ageRating.match(part.trimmed()); a.hasMatch())
                        dragon.ratings[a.captured(1).toLower()] = a.captured(2);
                }
            }
        }
        m_dragonAges[match.captured(1)] = dragon;
    } else if (const auto other = abilities.match(caption); other.hasMatch()) {
        const auto main = m_dragonAges.find(other.captured(1));
        if (main == m_dragonAges.end())
            notWhole(table, QStringLiteral("no table of ages before it"));
        else
            dragonsOf(other.captured(1), main->second, table);
    }
}

bool startsWithDigit(const QString &text) {
    return !text.isEmpty() && text.front().isDigit();
}

QString signedNumber(int n) {
    return n < 0 ? QStringLiteral("-") + QString::number(-n) : u'+' + QString::number(n);
}

QString withModifier(const QString &die, int modifier) {
    return modifier == 0 ? die : die + signedNumber(modifier);
}

void Reader::dragonsOf(const QString &colour, const DragonAges &dragon, const Table &abilities) {
    const Table &ages = dragon.table;
    const Row *main = headerRow(ages, QStringLiteral("age"));
    const Row *more = headerRow(abilities, QStringLiteral("age"));
    if (!main || !more) {
        notWhole(ages, QStringLiteral("no row of column names"));
        return;
    }
    auto col = [](const Row *header, const char *start) {
        return columnOf(*header, QString::fromLatin1(start));
    };
    const int size = col(main, "size"), hd = col(main, "hitdice"), ba = col(main, "baseattack"),
              attack = col(main, "attack"), fort = col(main, "fort"), ref = col(main, "ref"),
              will = col(main, "will"), breath = col(main, "breath"),
              fright = col(main, "frightful");
    const int init = col(more, "initi"), ac = col(more, "ac"), special = col(more, "special"),
              caster = col(more, "caster"), sr = col(more, "sr");
    static const char *const scoreNames[] = {"Str", "Dex", "Con", "Int", "Wis", "Cha"};
    int scores[6];
    for (int a = 0; a < 6; ++a)
        scores[a] = columnOf(*main, labelKey(QString::fromLatin1(scoreNames[a])));

    static const std::map<QString, QString> sizeNames{
        {"F", "Fine"},     {"D", "Diminutive"}, {"T", "Tiny"}, {"S", "Small"},
        {"M", "Medium"},   {"L", "Large"},      {"H", "Huge"}, {"G", "Gargantuan"},
        {"C", "Colossal"}, {"C+", "Colossal+"}};

    QStringList qualities; // the special abilities of the ages so far: each age adds its own
    static const QRegularExpression reduction(
        QStringLiteral("^(?:DR|Damage reduction)?\\s*(\\d+/\\S+)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ordinal(QStringLiteral("^\\d+(st|nd|rd|th)$"));
    static const QRegularExpression breathDc(QStringLiteral("^(.*\\S)\\s*\\((\\d+)\\)$"));
    const std::size_t width = main->size();
    for (const Row &row : ages.rows) {
        if (&row == main || row.size() != width)
            continue;
        const QString age = row.front().text;
        const auto other = std::find_if(abilities.rows.begin(), abilities.rows.end(),
                                        [&](const Row &r) { return r.front().text == age; });
        if (other == abilities.rows.end() || &*other == more) {
            notWhole(abilities, colour + QStringLiteral(" Dragon, ") + age +
                                    QStringLiteral(": no row of abilities"));
            continue;
        }
        auto at = [](const Row &r, int c) {
            return c >= 0 && std::size_t(c) < r.size() ? r[std::size_t(c)].text : QString();
        };
        const QString sizeLetter = at(row, size);
        const QString sizeName = sizeNames.count(sizeLetter) ? sizeNames.at(sizeLetter) : QString();

        // The natural weapons of its size, with its strength.
        const int str = at(row, scores[0]).toInt();
        const int s = str >= 10 ? (str - 10) / 2 : -((11 - str) / 2);
        const int half = s >= 0 ? s / 2 : s;
        const int oneAndHalf = s >= 0 ? s * 3 / 2 : s;
        const int bonus = statblock::leadingNumber(at(row, attack)).value_or(0);
        const auto weapons = m_dragonSizes.find(sizeName);
        QStringList full;
        QString bite;
        QStringList specials;
        const QString breathText = at(row, breath);
        const auto dc = breathDc.match(breathText);
        const QString saveDc = dc.hasMatch() ? dc.captured(2) : QString();
        if (dc.hasMatch())
            specials << QStringLiteral("Breath weapon ") + dc.captured(1) +
                            QStringLiteral(" (DC ") + saveDc + u')';
        if (weapons != m_dragonSizes.end()) {
            auto damage = [&](const char *key) {
                const auto it = weapons->second.find(QString::fromLatin1(key));
                return it == weapons->second.end() || !startsWithDigit(it->second) ? QString()
                                                                                   : it->second;
            };
            const QString secondary = signedNumber(bonus - 5);
            if (const QString d = damage("bite"); !d.isEmpty())
                full << (bite = QStringLiteral("Bite ") + signedNumber(bonus) +
                                QStringLiteral(" melee (") + withModifier(d, s) + u')');
            if (const QString d = damage("claws"); !d.isEmpty())
                full << QStringLiteral("2 claws ") + secondary + QStringLiteral(" melee (") +
                            withModifier(d, half) + u')';
            if (const QString d = damage("wings"); !d.isEmpty())
                full << QStringLiteral("2 wings ") + secondary + QStringLiteral(" melee (") +
                            withModifier(d, half) + u')';
            if (const QString d = damage("tailslap"); !d.isEmpty())
                full << QStringLiteral("tail slap ") + secondary + QStringLiteral(" melee (") +
                            withModifier(d, oneAndHalf) + u')';
            if (const QString d = damage("crush"); !d.isEmpty())
                specials << QStringLiteral("crush ") + withModifier(d, oneAndHalf) +
                                (saveDc.isEmpty() ? QString()
                                                  : QStringLiteral(" (DC ") + saveDc + u')');
            if (const QString d = damage("tailsweep"); !d.isEmpty())
                specials << QStringLiteral("tail sweep ") + withModifier(d, oneAndHalf) +
                                (saveDc.isEmpty() ? QString()
                                                  : QStringLiteral(" (DC ") + saveDc + u')');
        }
        if (const QString f = at(row, fright); startsWithDigit(f))
            specials << QStringLiteral("frightful presence (DC ") + f + u')';
        if (const QString c = at(*other, caster); ordinal.match(c).hasMatch())
            specials << QStringLiteral("spells (caster level ") + c + u')';

        for (QString item : at(*other, special).split(u',')) {
            item = item.simplified();
            if (item.isEmpty() || ordinal.match(item).hasMatch())
                continue;
            if (const auto dr = reduction.match(item); dr.hasMatch()) {
                qualities.removeIf(
                    [](const QString &q) { return q.startsWith(QStringLiteral("DR ")); });
                item = QStringLiteral("DR ") + dr.captured(1);
            }
            qualities << item;
        }
        QStringList sq = qualities;
        if (const QString r = at(*other, sr); startsWithDigit(r))
            sq << QStringLiteral("SR ") + r;

        const auto known = dragon.ratings.find(age.toLower());
        const QString rating = known == dragon.ratings.end() ? QString() : known->second;
        QStringList text{
            QStringLiteral("Hit Dice: ") + at(row, hd),
            QStringLiteral("Initiative: ") + at(*other, init),
            QStringLiteral("Armor Class: ") + at(*other, ac),
            QStringLiteral("Base Attack/Grapple: ") + at(row, ba),
            QStringLiteral("Attack: ") + bite,
            QStringLiteral("Full Attack: ") + full.join(QStringLiteral(", ")),
            QStringLiteral("Special Attacks: ") + specials.join(QStringLiteral(", ")),
            QStringLiteral("Special Qualities: ") + sq.join(QStringLiteral(", ")),
            QStringLiteral("Saves: Fort ") + at(row, fort) + QStringLiteral(", Ref ") +
                at(row, ref) + QStringLiteral(", Will ") + at(row, will),
            QStringLiteral("Challenge Rating: ") + rating,
        };
        QStringList scoreText;
        for (int a = 0; a < 6; ++a)
            scoreText << QString::fromLatin1(scoreNames[a]) + u' ' + at(row, scores[a]);
        text << QStringLiteral("Abilities: ") + scoreText.join(QStringLiteral(", "));
        Statblock block = readStatblock(text.join(u'\n'));
        block.monster.name = colour + QStringLiteral(" Dragon, ") + age;
        block.found.set(Statblock::Name);
        if (!sizeName.isEmpty()) {
            block.monster.sizeType = QString(sizeName).remove(u'+') + u' ' + dragon.type;
            block.found.set(Statblock::SizeType);
        }
        keep(ages, block, colour + QStringLiteral(" Dragon"));
    }
}

// The key the bestiary is sorted by: the name before its first comma, so that the sizes, ages
// and forms of a creature stay together in the document's order.
QString sortKey(const QString &name) {
    return searchFolded(name.section(u',', 0, 0));
}

} // namespace

Conversion convertFolder(const QString &folder) {
    Conversion out;
    const QDir dir(folder);
    QStringList files = dir.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    files.removeAll(QStringLiteral("README.md"));
    files.removeAll(QStringLiteral("legal-information.md"));
    if (files.isEmpty()) {
        out.error = QStringLiteral("no chapter (*.md) in ") + folder;
        return out;
    }
    out.productIdentity = productIdentity(folder);
    if (out.productIdentity.isEmpty()) {
        out.error = QStringLiteral("no list of Product Identity in ") + folder +
                    QStringLiteral("/legal-information.md");
        return out;
    }
    Reader reader(out);
    for (const QString &file : files)
        reader.readFile(dir.filePath(file));

    std::vector<Found> kept;
    for (Found &f : reader.found) {
        if (namesProductIdentity(out.productIdentity,
                                 {f.monster.name, f.monster.sizeType, f.heading}))
            out.leftOut << f.monster.name;
        else
            kept.push_back(std::move(f));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Found &a, const Found &b) {
        return sortKey(a.monster.name) < sortKey(b.monster.name);
    });
    for (Found &f : kept)
        out.monsters.push_back(std::move(f.monster));
    return out;
}

QByteArray bestiaryData(const std::vector<Monster> &monsters) {
    QString text = Monster::header() + u'\n';
    for (const Monster &monster : monsters)
        text += monster.toLine() + u'\n';
    return text.toUtf8();
}
