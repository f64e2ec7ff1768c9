#include "core/bestiary/Monster.h"

const QString Monster::noScore = QStringLiteral("\u2014");

namespace {

constexpr int fieldCount = 19;
// The longest a value runs in the notes: a long list of special qualities is cut there.
constexpr int noteValueLimit = 240;

QString cut(const QString &text) {
    if (text.size() <= noteValueLimit)
        return text;
    return text.left(noteValueLimit - 1).trimmed() + u'\u2026';
}

// A field of the data never holds a tab or a line break.
QString flat(QString text) {
    for (QChar &c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

} // namespace

std::size_t sheetIndex(int ability) {
    return static_cast<std::size_t>((ability + 1) % 6);
}

QString Monster::hitPointsText() const {
    const QString average = QString::number(hitPoints);
    return hitDice.isEmpty() ? average : average + QStringLiteral(" (") + hitDice + u')';
}

QString Monster::header() {
    return QStringLiteral("#torvane-bestiario 1\tname\tsize and type\tchallenge rating\thit "
                          "dice\thit points\tarmor class\tinitiative\tbase attack\tstr\tdex\tcon\t"
                          "int\twis\tcha\tattack\tfull attack\tspecial attacks\tspecial "
                          "qualities\tsaves");
}

QString Monster::toLine() const {
    QStringList fields{name,
                       sizeType,
                       challengeRating,
                       hitDice,
                       QString::number(hitPoints),
                       QString::number(armorClass),
                       QString::number(initiative),
                       QString::number(baseAttack)};
    for (const QString &score : abilities)
        fields << score;
    fields << attack << fullAttack << specialAttacks << specialQualities << saves;
    for (QString &field : fields)
        field = flat(field);
    return fields.join(u'\t');
}

std::optional<Monster> Monster::fromLine(QStringView line) {
    const auto fields = line.split(u'\t');
    if (fields.size() != fieldCount)
        return std::nullopt;
    Monster m;
    m.name = fields[0].toString();
    m.sizeType = fields[1].toString();
    m.challengeRating = fields[2].toString();
    m.hitDice = fields[3].toString();
    bool ok[4] = {};
    m.hitPoints = fields[4].toInt(&ok[0]);
    m.armorClass = fields[5].toInt(&ok[1]);
    m.initiative = fields[6].toInt(&ok[2]);
    m.baseAttack = fields[7].toInt(&ok[3]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || m.name.isEmpty())
        return std::nullopt;
    for (std::size_t i = 0; i < 6; ++i)
        m.abilities[i] = fields[8 + static_cast<qsizetype>(i)].toString();
    m.attack = fields[14].toString();
    m.fullAttack = fields[15].toString();
    m.specialAttacks = fields[16].toString();
    m.specialQualities = fields[17].toString();
    m.saves = fields[18].toString();
    return m;
}

QString statblockNote(const Monster &m) {
    QStringList lines;
    const QString rating =
        m.challengeRating.isEmpty() ? QString() : QStringLiteral("GS ") + m.challengeRating;
    QStringList heading;
    for (const QString &part : {m.sizeType, rating}) {
        if (!part.isEmpty())
            heading << part;
    }
    if (!heading.isEmpty())
        lines << cut(heading.join(QStringLiteral(", ")));
    static const char *const names[] = {"For", "Des", "Cos", "Int", "Sag", "Car"};
    QStringList none;
    for (int a = 0; a < 6; ++a) {
        if (m.abilities[static_cast<std::size_t>(a)] == Monster::noScore)
            none << QString::fromLatin1(names[a]);
    }
    if (!none.isEmpty())
        lines << none.join(QStringLiteral(", ")) + QStringLiteral(": \u2014 (nessun punteggio; 0 "
                                                                  "sulla scheda)");
    const std::pair<const char *, const QString *> values[] = {
        {"Attacco", &m.attack},
        {"Attacco completo", &m.fullAttack},
        {"Attacchi speciali", &m.specialAttacks},
        {"Qualit\u00e0 speciali", &m.specialQualities},
        {"Tiri salvezza", &m.saves},
    };
    for (const auto &[label, value] : values) {
        if (!value->isEmpty() && *value != Monster::noScore)
            lines << QString::fromUtf8(label) + QStringLiteral(": ") + cut(*value);
    }
    QString note = lines.join(QStringLiteral("\r\n"));
    if (!note.isEmpty())
        note += QStringLiteral("\r\n");
    return note.left(statblockNoteLimit);
}

Sheet toSheet(const Monster &m) {
    Sheet sheet;
    sheet.name = m.name;
    sheet.pf = m.hitPointsText();
    sheet.ba = QString::number(m.baseAttack);
    sheet.ca = QString::number(m.armorClass);
    sheet.iniziativa = QString::number(m.initiative);
    for (int a = 0; a < 6; ++a) {
        const QString &score = m.abilities[static_cast<std::size_t>(a)];
        const std::size_t i = sheetIndex(a);
        if (score == Monster::noScore) {
            sheet.car[i] = QStringLiteral("0");
            sheet.carMod[i] = QString();
        } else {
            sheet.car[i] = score;
            sheet.carMod[i] = abilityModifier(score).value_or(QString());
        }
    }
    sheet.note = statblockNote(m);
    return sheet;
}
