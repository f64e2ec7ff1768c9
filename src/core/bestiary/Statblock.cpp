#include "core/bestiary/Statblock.h"

#include "core/dice/Dice.h"

#include <QRegularExpression>

#include <cmath>
#include <map>

namespace {

// What a label stands for. The labels a fight does not use are still known, so that each ends
// the value before it.
enum class Key {
    HitDice,
    Initiative,
    ArmorClass,
    BaseAttack,
    Attack,
    FullAttack,
    SpecialAttacks,
    SpecialQualities,
    Saves,
    Abilities,
    ChallengeRating,
    Attacks, // the older layout's "Attacks:" and "Damage:", read when the newer labels lack
    Damage,
    Other
};

struct Label {
    const char *pattern; // blanks in it stand for any run of blanks, or none
    Key key;
};

// The document's labels (a few of its misspellings included), longest first where one begins
// another.
constexpr Label labels[] = {
    {"Hit Dice", Key::HitDice},
    {"Initiative", Key::Initiative},
    {"Armou?r Class", Key::ArmorClass},
    {"AC", Key::ArmorClass},
    {"Base Attack / Grapple", Key::BaseAttack},
    {"Base Attack", Key::BaseAttack},
    {"Full Attack", Key::FullAttack},
    {"Special Attacks", Key::SpecialAttacks},
    {"Special Qualit(?:ies|iy|y)", Key::SpecialQualities},
    {"Attacks", Key::Attacks},
    {"Attack", Key::Attack},
    {"Damage", Key::Damage},
    {"Saves", Key::Saves},
    {"Saving Throws", Key::Saves},
    {"Abilities", Key::Abilities},
    {"Challenge Rating", Key::ChallengeRating},
    {"Speed", Key::Other},
    {"Space / Reach", Key::Other},
    {"Face / Reach", Key::Other},
    {"Skills", Key::Other},
    {"Epic Feats", Key::Other},
    {"Feats", Key::Other},
    {"Environment", Key::Other},
    {"Climate / Terrain", Key::Other},
    {"Organization", Key::Other},
    {"Treasure", Key::Other},
    {"Alignment", Key::Other},
    {"Advancement(?: Range)?", Key::Other},
    {"Level Adjustment", Key::Other},
};

// Every label, each its own capture group (group k + 1 is labels[k]), followed by its colon.
const QRegularExpression &labelPattern() {
    static const QRegularExpression pattern = [] {
        QStringList alternatives;
        for (const Label &label : labels)
            alternatives << u'(' +
                                QString::fromLatin1(label.pattern)
                                    .replace(QStringLiteral(" "), QStringLiteral("\\s*")) +
                                u')';
        return QRegularExpression(QStringLiteral("(?<![\\p{L}\\p{N}])(?:") +
                                  alternatives.join(u'|') + QStringLiteral(")\\s*:"));
    }();
    return pattern;
}

// The size and type that start a creature's statblock: "Small Humanoid (Goblinoid)".
const QRegularExpression &sizeTypePattern() {
    static const QRegularExpression pattern(QStringLiteral(
        "(?<![\\p{L}])(?:Fine|Diminutive|Tiny|Small|Medium(?:-[Ss]ize)?|Large|Huge|Gargantuan|"
        "Colossal\\+?)\\s+(?:Aberration|Animal|Construct|Dragon|Elemental|Fey|Giant|Humanoid|"
        "Magical Beast|Monstrous Humanoid|Ooze|Outsider|Plant|Undead|Vermin)(?![\\p{L}])"));
    return pattern;
}

// HTML as a web page's source gives it: cells apart by tabs, rows and paragraphs on lines of
// their own, the other tags gone, the usual entities read.
QString withoutHtml(QString text) {
    if (!text.contains(u'<'))
        return text;
    static const QRegularExpression breakTag(QStringLiteral("<br\\s*/?>"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression cellEnd(QStringLiteral("</t[dh]\\s*>"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression blockEnd(QStringLiteral("</(?:tr|p|div|li|h[1-6])\\s*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression superscript(QStringLiteral("<sup>[^<]{0,2}</sup>"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[A-Za-z/!][^>]*>"));
    text.replace(breakTag, QStringLiteral(" "));
    text.replace(cellEnd, QStringLiteral("\t"));
    text.replace(blockEnd, QStringLiteral("\n"));
    text.replace(superscript, QString());
    text.replace(tag, QString());
    static const std::pair<const char *, const char16_t *> entities[] = {
        {"&nbsp;", u" "}, {"&lt;", u"<"},         {"&gt;", u">"},         {"&quot;", u"\""},
        {"&#39;", u"'"},  {"&ndash;", u"\u2013"}, {"&mdash;", u"\u2014"}, {"&amp;", u"&"}};
    for (const auto &[entity, character] : entities)
        text.replace(QString::fromLatin1(entity), QString::fromUtf16(character));
    return text;
}

// Markdown's marks around the statblock's words ("**Hit Dice:**", "## Goblin", "\*").
QString withoutMarkdown(QString text) {
    static const QRegularExpression marks(QStringLiteral("\\*\\*|__|^#+\\s*|\\\\(?=[*_#])"),
                                          QRegularExpression::MultilineOption);
    return text.replace(marks, QString());
}

QString simplified(QStringView text) {
    return text.toString().simplified();
}

// A value runs to the next label, or to a blank line; of a row of cells, the first one.
QString valueBetween(QStringView text) {
    static const QRegularExpression blankLine(QStringLiteral("\\n[ \\t\\r]*\\n"));
    const auto blank = blankLine.match(text);
    if (blank.hasMatch())
        text = text.left(blank.capturedStart());
    const auto cells = text.split(u'\t');
    for (const QStringView cell : cells) {
        if (!cell.trimmed().isEmpty())
            return simplified(cell);
    }
    return QString();
}

// Name and size and type from what stands before the first label.
void readHeading(QStringView heading, Statblock &s) {
    QStringList lines;
    for (const QStringView line : heading.split(u'\n')) {
        for (const QStringView cell : line.split(u'\t')) {
            const QString text = simplified(cell);
            if (!text.isEmpty())
                lines << text;
        }
    }
    auto nameFrom = [&](QString name) {
        while (name.endsWith(u',') || name.endsWith(u':'))
            name.chop(1);
        name = name.trimmed();
        if (!name.isEmpty() && name.size() <= 100) {
            s.monster.name = name;
            s.found.set(Statblock::Name);
        }
    };
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const auto match = sizeTypePattern().match(lines[k]);
        if (!match.hasMatch())
            continue;
        QString sizeType = lines[k].mid(match.capturedStart());
        for (qsizetype next = k + 1; next < lines.size() && lines[next].startsWith(u'('); ++next)
            sizeType += u' ' + lines[next]; // "(Human, Shapechanger)" on a line of its own
        s.monster.sizeType = sizeType;
        s.found.set(Statblock::SizeType);
        const QString before = lines[k].left(match.capturedStart()).trimmed();
        if (!before.isEmpty())
            nameFrom(before);
        else if (k > 0)
            nameFrom(lines[k - 1]);
        return;
    }
    if (!lines.isEmpty())
        nameFrom(lines.last());
}

QString foldMinus(QString text) {
    return text.replace(u'\u2013', u'-').replace(u'\u2212', u'-');
}

} // namespace

namespace statblock {

HitDice hitDice(QStringView value) {
    HitDice result;
    const QString text = foldMinus(value.toString());
    static const QRegularExpression bracketed(
        QStringLiteral("\\(\\s*(?:hp\\s*)?(\\d[\\d,]*)\\s*(?:hp)?\\s*\\)"));
    static const QRegularExpression loose(QStringLiteral("(\\d[\\d,]*)\\s*hp\\b"));
    auto match = bracketed.match(text);
    if (!match.hasMatch())
        match = loose.match(text);
    if (match.hasMatch())
        result.hitPoints = match.captured(1).remove(u',').toInt();

    QString dice = text.left(text.indexOf(u'('));
    static const QRegularExpression hd(QStringLiteral("^\\s*HD\\s+"));
    static const QRegularExpression plus(QStringLiteral("\\s+plus\\s+"));
    static const QRegularExpression thousands(QStringLiteral("(?<=\\d),(?=\\d{3})"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    dice.replace(hd, QString()).replace(plus, QStringLiteral("+")).replace(thousands, QString());
    dice.replace(blanks, QString());
    const auto parsed = dice::Expression::parse(dice);
    if (parsed.expression && parsed.expression->hasDice()) {
        result.dice = parsed.expression->text();
        if (result.hitPoints < 0)
            result.hitPoints =
                std::max(1, static_cast<int>(std::floor(parsed.expression->average())));
    } else {
        // Half a die ("1/2 d10") is kept as written: it is no expression that can be rolled.
        static const QRegularExpression half(QStringLiteral("^\\d+/\\d+d\\d+([+-]\\d+)?$"));
        if (half.match(dice).hasMatch())
            result.dice = dice;
    }
    return result;
}

std::optional<int> leadingNumber(QStringView value) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*(?:AC\\s+)?([+\\-\u2013\u2212]?)\\s*(\\d[\\d,]*)"));
    const auto match = number.match(value);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int magnitude = match.captured(2).remove(u',').toInt(&ok);
    if (!ok)
        return std::nullopt;
    return match.capturedView(1).isEmpty() || match.capturedView(1) == u"+" ? magnitude
                                                                            : -magnitude;
}

std::array<QString, 6> abilities(QStringView value) {
    static const std::array<QRegularExpression, 6> patterns = [] {
        static const char *const names[] = {"Str", "Dex", "Con", "Int", "Wis", "Cha"};
        std::array<QRegularExpression, 6> each;
        for (std::size_t a = 0; a < 6; ++a)
            each[a].setPattern(QStringLiteral("(?<![A-Za-z])") + QString::fromLatin1(names[a]) +
                               QStringLiteral("(?![A-Za-z])[\\s_:]*(\\d+|[\u2014\u2013-])"));
        return each;
    }();
    std::array<QString, 6> scores;
    for (std::size_t a = 0; a < 6; ++a) {
        const auto match = patterns[a].match(value);
        if (match.hasMatch())
            scores[a] = match.captured(1).front().isDigit() ? match.captured(1) : Monster::noScore;
    }
    return scores;
}

} // namespace statblock

QString Statblock::fieldName(Field field) {
    switch (field) {
    case Name:
        return QStringLiteral("nome");
    case SizeType:
        return QStringLiteral("taglia e tipo");
    case HitPoints:
        return QStringLiteral("dadi vita e punti ferita");
    case Initiative:
        return QStringLiteral("iniziativa");
    case ArmorClass:
        return QStringLiteral("classe armatura");
    case BaseAttack:
        return QStringLiteral("attacco base");
    case Str:
        return QStringLiteral("Forza");
    case Dex:
        return QStringLiteral("Destrezza");
    case Con:
        return QStringLiteral("Costituzione");
    case Int:
        return QStringLiteral("Intelligenza");
    case Wis:
        return QStringLiteral("Saggezza");
    case Cha:
        return QStringLiteral("Carisma");
    case Attack:
        return QStringLiteral("attacco");
    case FullAttack:
        return QStringLiteral("attacco completo");
    case SpecialAttacks:
        return QStringLiteral("attacchi speciali");
    case SpecialQualities:
        return QStringLiteral("qualit\u00e0 speciali");
    case Saves:
        return QStringLiteral("tiri salvezza");
    case ChallengeRating:
        return QStringLiteral("grado di sfida");
    case FieldCount:
        break;
    }
    return QString();
}

QStringList Statblock::missing() const {
    QStringList names;
    for (int f = 0; f < FieldCount; ++f) {
        if (!found.test(static_cast<std::size_t>(f)))
            names << fieldName(static_cast<Field>(f));
    }
    return names;
}

void Statblock::applyTo(Sheet &sheet) const {
    const Sheet full = toSheet(monster);
    if (has(Name))
        sheet.name = full.name;
    if (has(HitPoints))
        sheet.pf = full.pf;
    if (has(ArmorClass))
        sheet.ca = full.ca;
    if (has(BaseAttack))
        sheet.ba = full.ba;
    if (has(Initiative))
        sheet.iniziativa = full.iniziativa;
    bool withoutScore = false;
    for (int a = 0; a < 6; ++a) {
        if (!has(static_cast<Field>(Str + a)))
            continue;
        const std::size_t i = sheetIndex(a);
        sheet.car[i] = full.car[i];
        sheet.carMod[i] = full.carMod[i];
        withoutScore =
            withoutScore || monster.abilities[static_cast<std::size_t>(a)] == Monster::noScore;
    }
    const bool noteFields = has(SizeType) || has(Attack) || has(FullAttack) ||
                            has(SpecialAttacks) || has(SpecialQualities) || has(Saves) ||
                            has(ChallengeRating);
    if (noteFields || withoutScore)
        sheet.note = full.note;
}

Statblock readStatblock(QStringView input) {
    const QString text = withoutMarkdown(withoutHtml(input.toString()));
    Statblock s;
    Monster &m = s.monster;

    struct Found {
        Key key;
        qsizetype start; // of the label
        qsizetype end;   // of the label and its colon
    };
    std::vector<Found> found;
    for (auto it = labelPattern().globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        for (int k = 0; k < int(std::size(labels)); ++k) {
            if (match.capturedStart(k + 1) >= 0) {
                found.push_back({labels[k].key, match.capturedStart(), match.capturedEnd()});
                break;
            }
        }
    }
    if (found.empty())
        return s; // no label, no statblock: not even a name is taken from the text

    std::map<Key, QStringList> values; // the values of each label, first to last
    for (std::size_t i = 0; i < found.size(); ++i) {
        const qsizetype end = i + 1 < found.size() ? found[i + 1].start : text.size();
        const QStringView value = QStringView(text).mid(found[i].end, end - found[i].end);
        values[found[i].key] << valueBetween(value);
    }
    readHeading(QStringView(text).left(found.front().start), s);

    auto value = [&](Key key, qsizetype occurrence = 0) {
        const auto it = values.find(key);
        return it == values.end() ? QString() : it->second.value(occurrence);
    };
    auto words = [&](Key key, QString &into, Statblock::Field field) {
        into = value(key);
        if (!into.isEmpty())
            s.found.set(field);
    };
    auto number = [&](Key key, int &into, Statblock::Field field) {
        if (const auto n = statblock::leadingNumber(value(key))) {
            into = *n;
            s.found.set(field);
        }
    };
    const auto dice = statblock::hitDice(value(Key::HitDice));
    if (dice.hitPoints >= 0) {
        m.hitPoints = dice.hitPoints;
        m.hitDice = dice.dice;
        s.found.set(Statblock::HitPoints);
    }
    number(Key::Initiative, m.initiative, Statblock::Initiative);
    number(Key::ArmorClass, m.armorClass, Statblock::ArmorClass);
    number(Key::BaseAttack, m.baseAttack, Statblock::BaseAttack);
    m.abilities = statblock::abilities(value(Key::Abilities));
    for (int a = 0; a < 6; ++a) {
        if (!m.abilities[static_cast<std::size_t>(a)].isEmpty())
            s.found.set(static_cast<std::size_t>(Statblock::Str + a));
    }
    words(Key::Attack, m.attack, Statblock::Attack);
    words(Key::FullAttack, m.fullAttack, Statblock::FullAttack);
    if (!s.has(Statblock::FullAttack) && !value(Key::Attack, 1).isEmpty()) {
        m.fullAttack = value(Key::Attack, 1); // "Attack:" twice, the second for "Full Attack:"
        s.found.set(Statblock::FullAttack);
    }
    // The older layout: one line of attacks, and their damage on another.
    const QString attacks = value(Key::Attacks);
    if (!attacks.isEmpty()) {
        const QString damage = value(Key::Damage);
        const QString both = damage.isEmpty() ? attacks : attacks + QStringLiteral("; ") + damage;
        for (auto [field, into] : {std::pair{Statblock::Attack, &m.attack},
                                   std::pair{Statblock::FullAttack, &m.fullAttack}}) {
            if (!s.has(field)) {
                *into = both;
                s.found.set(field);
            }
        }
    }
    words(Key::SpecialAttacks, m.specialAttacks, Statblock::SpecialAttacks);
    words(Key::SpecialQualities, m.specialQualities, Statblock::SpecialQualities);
    words(Key::Saves, m.saves, Statblock::Saves);
    words(Key::ChallengeRating, m.challengeRating, Statblock::ChallengeRating);
    m.challengeRating.replace(u'\u00bd', QStringLiteral("1/2"));
    return s;
}
