#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

class RosterModel;

// The roster grid. It never scrolls by itself: rows above the view are hidden rows, and the mouse
// wheel asks for whole-line scrolls instead. A click on a row's "Seleziona" or number marks it
// (Ctrl adds or takes one row, Shift marks a range); with the focus on that column, Up and Down
// move the mark.
class RosterView : public QTableView {
    Q_OBJECT
public:
    explicit RosterView(QWidget *parent = nullptr);
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    // Positive: lines towards the top of the roster (scroll up); negative: down.
    void wheelLines(int lines);
    // A key moved the mark to this row: it is to be marked alone and kept in view, as one change.
    void markMoved(int row);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    RosterModel *roster() const;

    int m_wheelRemainder = 0;
};

// Text cells commit at every keystroke; the button and option columns are drawn as controls.
class RosterDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};
