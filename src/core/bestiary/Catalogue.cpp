#include "core/bestiary/Catalogue.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The creature types in Italian, as a game master may look for them.
constexpr std::pair<const char *, const char *> italianTypes[] = {
    {"aberrazione", "aberration"},
    {"aberrazioni", "aberration"},
    {"animale", "animal"},
    {"animali", "animal"},
    {"bestia magica", "magical beast"},
    {"costrutto", "construct"},
    {"costrutti", "construct"},
    {"drago", "dragon"},
    {"draghi", "dragon"},
    {"elementale", "elemental"},
    {"elementali", "elemental"},
    {"esterno", "outsider"},
    {"esterni", "outsider"},
    {"folletto", "fey"},
    {"folletti", "fey"},
    {"gigante", "giant"},
    {"giganti", "giant"},
    {"melma", "ooze"},
    {"melme", "ooze"},
    {"non morto", "undead"},
    {"non morti", "undead"},
    {"nonmorto", "undead"},
    {"nonmorti", "undead"},
    {"parassita", "vermin"},
    {"parassiti", "vermin"},
    {"sciame", "swarm"},
    {"sciami", "swarm"},
    {"umanoide", "humanoid"},
    {"umanoidi", "humanoid"},
    {"vegetale", "plant"},
    {"vegetali", "plant"},
};

// The first value of a challenge rating: "1/3" of "1/3", "7" of "7 (normal); 9 (pyro-)".
QString firstRating(const QString &rating) {
    static const QRegularExpression value(QStringLiteral("^\\s*(\\d+(?:/\\d+)?)"));
    const auto match = value.match(rating);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Whether a folded name is the query's words, in any order.
bool sameWords(const QString &name, QStringList words) {
    QStringList own = name.split(u' ');
    own.sort();
    words.sort();
    return own == words;
}

} // namespace

QString searchFolded(QStringView text) {
    const bool plain =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
    const QString decomposed =
        plain ? text.toString() : text.toString().normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    bool blank = true;
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isLetterOrNumber() || c == u'/') {
            folded += c.toLower();
            blank = false;
        } else if (!blank) {
            folded += u' ';
            blank = true;
        }
    }
    return folded.trimmed();
}

QString Catalogue::resourcePath() {
    return QStringLiteral(":/bestiary/bestiary.tsv");
}

Catalogue Catalogue::builtIn() {
    QFile file(resourcePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromData(file.readAll());
}

Catalogue Catalogue::fromData(const QByteArray &utf8) {
    Catalogue catalogue;
    const QString text = QString::fromUtf8(utf8);
    const auto lines = QStringView(text).split(u'\n');
    if (lines.isEmpty() || lines.front().trimmed() != Monster::header())
        return catalogue;
    catalogue.m_monsters.reserve(static_cast<std::size_t>(lines.size()));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        auto monster = Monster::fromLine(line);
        if (!monster) {
            ++catalogue.m_unreadable;
            continue;
        }
        catalogue.m_keys.push_back({searchFolded(monster->name), searchFolded(monster->sizeType),
                                    firstRating(monster->challengeRating)});
        catalogue.m_monsters.push_back(std::move(*monster));
    }
    return catalogue;
}

std::vector<int> Catalogue::search(QStringView query) const {
    QString folded = u' ' + searchFolded(query) + u' ';
    for (const auto &[italian, english] : italianTypes)
        folded.replace(u' ' + QString::fromLatin1(italian) + u' ',
                       u' ' + QString::fromLatin1(english) + u' ');
    QStringList words = folded.split(u' ', Qt::SkipEmptyParts);
    QString rating;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i] == u"gs" || words[i] == u"cr") {
            if (i + 1 < words.size())
                rating = words[i + 1];
            words.remove(i, std::min<qsizetype>(2, words.size() - i));
            break;
        }
    }

    std::vector<std::pair<int, int>> found; // rank, index
    for (int i = 0; i < size(); ++i) {
        const Keys &keys = m_keys[static_cast<std::size_t>(i)];
        if (!rating.isEmpty() && keys.rating != rating)
            continue;
        bool inName = true;
        bool everywhere = true;
        for (const QString &word : words) {
            const bool named = keys.name.contains(word);
            inName = inName && named;
            everywhere = everywhere && (named || keys.type.contains(word));
        }
        if (!everywhere)
            continue;
        // The name that is the query's words first, then the names that start with its first
        // word, then the other names that hold every word, then the type or the rating alone.
        int rank = 3;
        if (inName && (words.isEmpty() || sameWords(keys.name, words)))
            rank = 0;
        else if (inName && keys.name.startsWith(words.front()))
            rank = 1;
        else if (inName)
            rank = 2;
        found.push_back({rank, i});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<int> indices;
    indices.reserve(found.size());
    for (const auto &[rank, index] : found)
        indices.push_back(index);
    return indices;
}
