#include "web/PlayersFeed.h"

#include "encounter/PlayersModel.h"

#include <algorithm>
#include <climits>

namespace {

void appendJson(QString &out, const QString &text) {
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
}

} // namespace

PlayersFeed::PlayersFeed(PlayersModel &model, QObject *parent) : QObject(parent), m_model(model) {
    m_flush.setSingleShot(true);
    m_flush.setInterval(0);
    connect(&m_flush, &QTimer::timeout, this, &PlayersFeed::flush);
    connect(
        &model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &from, const QModelIndex &to) { touch(from.row(), to.row()); });
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { touch(first, -1); });
    connect(&model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int) { touch(first, -1); });
    connect(&model, &QAbstractItemModel::rowsMoved, this, [this] { touch(0, -1); });
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { touch(0, -1); });
    connect(&model, &QAbstractItemModel::layoutChanged, this, [this] { touch(0, -1); });
    connect(&model, &QAbstractItemModel::headerDataChanged, this, [this] { touch(0, 0); });
}

PlayersFeed::Line PlayersFeed::read(int row) const {
    const QModelIndex index = m_model.index(row, 0);
    Line line;
    line.name = index.data(Qt::DisplayRole).toString();
    line.state = index.data(PlayersModel::StateRole).toString();
    line.conditions = index.data(PlayersModel::ConditionsRole).toString();
    line.flags = (index.data(PlayersModel::NowRole).toBool() ? 1 : 0) |
                 (index.data(PlayersModel::NextRole).toBool() ? 2 : 0) |
                 (index.data(PlayersModel::DeadRole).toBool() ? 4 : 0);
    return line;
}

bool PlayersFeed::same(int row, const Line &line) const {
    // Most rows of a long roster are only compared, at every step: without copying a text and
    // stopping at the first difference.
    const QModelIndex index = m_model.index(row, 0);
    auto equal = [&](int role, const QString &kept) {
        const QVariant value = index.data(role);
        return value.metaType() == QMetaType::fromType<QString>()
                   ? *static_cast<const QString *>(value.constData()) == kept
                   : value.toString() == kept;
    };
    const int flags = (index.data(PlayersModel::NowRole).toBool() ? 1 : 0) |
                      (index.data(PlayersModel::NextRole).toBool() ? 2 : 0) |
                      (index.data(PlayersModel::DeadRole).toBool() ? 4 : 0);
    return flags == line.flags && equal(PlayersModel::StateRole, line.state) &&
           equal(Qt::DisplayRole, line.name) &&
           equal(PlayersModel::ConditionsRole, line.conditions);
}

void PlayersFeed::setFollowing(bool on) {
    if (on == m_following)
        return;
    m_following = on;
    m_flush.stop();
    m_lines.clear();
    m_dirtyFirst = m_dirtyEnd = 0;
    m_headDirty = false;
    if (!on)
        return;
    const int n = m_model.rowCount();
    m_lines.reserve(std::size_t(n));
    for (int row = 0; row < n; ++row)
        m_lines.push_back(read(row));
    m_round = m_model.roundText();
    m_now = m_model.nowText();
}

void PlayersFeed::touch(int first, int last) {
    if (!m_following)
        return;
    const int end = last < 0 ? INT_MAX : last + 1;
    if (m_dirtyFirst >= m_dirtyEnd) {
        m_dirtyFirst = first;
        m_dirtyEnd = end;
    } else {
        m_dirtyFirst = std::min(m_dirtyFirst, first);
        m_dirtyEnd = std::max(m_dirtyEnd, end);
    }
    m_headDirty = true;
    if (!m_flush.isActive())
        m_flush.start();
}

void PlayersFeed::checkHead() {
    if (!m_following)
        return;
    m_headDirty = true;
    flush();
}

void PlayersFeed::flush() {
    m_flush.stop();
    if (!m_following)
        return;
    const int n = m_model.rowCount();
    const std::size_t before = m_lines.size();
    m_lines.resize(std::size_t(n));
    std::vector<int> rows;
    const int end = std::min(m_dirtyEnd, n);
    for (int row = std::max(m_dirtyFirst, 0); row < end; ++row) {
        Line &kept = m_lines[std::size_t(row)];
        if (std::size_t(row) < before && same(row, kept))
            continue;
        kept = read(row);
        rows.push_back(row);
    }
    m_dirtyFirst = m_dirtyEnd = 0;
    bool headChanged = false;
    if (m_headDirty) {
        m_headDirty = false;
        QString round = m_model.roundText();
        QString now = m_model.nowText();
        headChanged = round != m_round || now != m_now;
        m_round = std::move(round);
        m_now = std::move(now);
    }
    if (rows.empty() && !headChanged && std::size_t(n) == before)
        return;
    emit changed(message(rows));
}

QString PlayersFeed::whole() {
    if (m_flush.isActive())
        flush();
    if (!m_following)
        setFollowing(true);
    std::vector<int> rows(m_lines.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    return message(rows);
}

QString PlayersFeed::message(const std::vector<int> &rows) const {
    QString out;
    out.reserve(64 + qsizetype(rows.size()) * 48);
    out += u"{\"t\":\"view\",\"round\":";
    appendJson(out, m_round);
    out += u",\"now\":";
    appendJson(out, m_now);
    out += u",\"n\":";
    out += QString::number(m_lines.size());
    out += u",\"rows\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Line &line = m_lines[std::size_t(rows[i])];
        if (i > 0)
            out += u',';
        out += u'[' + QString::number(rows[i]) + u',';
        appendJson(out, line.name);
        out += u',';
        appendJson(out, line.state);
        out += u',';
        appendJson(out, line.conditions);
        out += u',' + QString::number(line.flags) + u']';
    }
    out += u"]}";
    return out;
}
