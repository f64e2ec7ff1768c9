#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

class PlayersModel;

// The players' view as the page receives it, read from the players' model alone: the whole view
// for a page that connects, then only what changed. However many signals a step of the fight
// makes the model give, the change goes out once, at the next turn of the event loop.
//
// A message is one JSON object: {"t":"view","round":…,"now":…,"n":rows,"rows":[[row, name,
// state, conditions, flags], …]} with flags 1 acting now, 2 acting next, 4 dead. A row listed
// replaces that row; rows at n and beyond are gone.
class PlayersFeed : public QObject {
    Q_OBJECT
public:
    explicit PlayersFeed(PlayersModel &model, QObject *parent = nullptr);

    // While no page is open, the feed reads nothing and a step of the fight costs nothing.
    void setFollowing(bool on);
    bool following() const { return m_following; }
    // The whole view, after sending what was still pending to the pages already open.
    QString whole();
    // Reads the round and who acts again, in case they changed without any row changing.
    void checkHead();

signals:
    void changed(const QString &message);

private:
    struct Line {
        QString name;
        QString state;
        QString conditions;
        int flags = 0;
    };
    Line read(int row) const;
    bool same(int row, const Line &line) const;
    void touch(int first, int last); // last < 0: to the end
    void flush();
    QString message(const std::vector<int> &rows) const;

    PlayersModel &m_model;
    QTimer m_flush;
    bool m_following = false;
    std::vector<Line> m_lines;
    QString m_round;
    QString m_now;
    int m_dirtyFirst = 0;
    int m_dirtyEnd = 0; // one past the last row that may have changed
    bool m_headDirty = false;
};
