#include "encounter/RosterView.h"

#include "core/fight/Roster.h"
#include "encounter/RosterModel.h"
#include "ui/Look.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {

bool marksRow(int column) {
    return column == roster::Selezione || column == roster::Indice;
}

} // namespace

RosterView::RosterView(QWidget *parent) : QTableView(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded); // a column widened by the user
    setAutoScroll(false);
    setSelectionMode(NoSelection);
    setEditTriggers(AllEditTriggers);
    setItemDelegate(new RosterDelegate(this));
}

RosterModel *RosterView::roster() const {
    return static_cast<RosterModel *>(model());
}

void RosterView::scrollTo(const QModelIndex &, ScrollHint) {}

void RosterView::wheelEvent(QWheelEvent *event) {
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder %= 120;
    if (notches != 0)
        emit wheelLines(notches);
    event->accept();
}

void RosterView::mousePressEvent(QMouseEvent *event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!(model()->flags(at) & Qt::ItemIsEditable)) {
        // Nothing can be typed where the user clicked: the typing in progress ends there (moving
        // the current cell away commits and closes its editor), and no keystroke may go on into
        // the cell it was in.
        selectionModel()->setCurrentIndex(
            marksRow(at.column()) ? model()->index(at.row(), roster::Selezione) : QModelIndex(),
            QItemSelectionModel::NoUpdate);
        setFocus(Qt::MouseFocusReason);
    }
    QTableView::mousePressEvent(event);
}

void RosterView::mouseReleaseEvent(QMouseEvent *event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid() && marksRow(at.column())) {
        const auto mods = event->modifiers();
        roster()->mark(at.row(), mods & Qt::ShiftModifier     ? Roster::Mark::Range
                                 : mods & Qt::ControlModifier ? Roster::Mark::Toggle
                                                              : Roster::Mark::Only);
    }
    QTableView::mouseReleaseEvent(event);
}

void RosterView::keyPressEvent(QKeyEvent *event) {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !marksRow(current.column())) {
        QTableView::keyPressEvent(event);
        return;
    }
    const int row = current.row();
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        const int to = row + (event->key() == Qt::Key_Up ? -1 : 1);
        if (to >= 1 && to < model()->rowCount()) {
            selectionModel()->setCurrentIndex(model()->index(to, roster::Selezione),
                                              QItemSelectionModel::NoUpdate);
            emit markMoved(to); // the window marks it, and the view follows, as one change
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Select) {
        roster()->mark(row, event->modifiers() & Qt::ControlModifier ? Roster::Mark::Toggle
                                                                     : Roster::Mark::Only);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void RosterView::focusInEvent(QFocusEvent *event) {
    // Coming in by keyboard, the focus lands on the first row in view, ready to mark it.
    if (!currentIndex().isValid()) {
        for (int r = 1; r < model()->rowCount(); ++r) {
            if (!isRowHidden(r)) {
                selectionModel()->setCurrentIndex(model()->index(r, roster::Selezione),
                                                  QItemSelectionModel::NoUpdate);
                break;
            }
        }
    }
    QTableView::focusInEvent(event);
}

QWidget *RosterDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                      const QModelIndex &) const {
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setProperty("fresh", true);
    look::leaveUndoToWindow(editor); // typing here is a step of the fight
    // Every keystroke is a change of the field: commit it at once.
    connect(editor, &QLineEdit::textEdited, this,
            [this, editor] { emit const_cast<RosterDelegate *>(this)->commitData(editor); });
    return editor;
}

void RosterDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const {
    auto *line = static_cast<QLineEdit *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (line->text() != text) // leave the cursor where it is while typing
        line->setText(text);
    if (line->property("fresh").toBool()) { // a cell just entered: typing replaces its text
        line->setProperty("fresh", false);
        line->selectAll();
    }
}

void RosterDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                  const QModelIndex &index) const {
    model->setData(index, static_cast<QLineEdit *>(editor)->text(), Qt::EditRole);
}

void RosterDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const {
    const int column = index.column();
    if (column != roster::Selezione && column != roster::Elimina && column != roster::Visualizza) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionButton button;
    button.rect = option.rect.adjusted(2, 2, -2, -2);
    button.text = index.data(Qt::DisplayRole).toString();
    button.state = QStyle::State_Enabled;
    button.palette = option.palette;
    if (column == roster::Selezione) {
        if (const QVariant ground = index.data(Qt::BackgroundRole); ground.isValid())
            painter->fillRect(option.rect, ground.value<QBrush>());
        const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        button.state |= on ? QStyle::State_On : QStyle::State_Off;
        button.rect.adjust(4, 0, 0, 0);
        style->drawControl(QStyle::CE_RadioButton, &button, painter, option.widget);
        if (option.state & QStyle::State_HasFocus) { // where Up, Down and Space act
            painter->save();
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
            painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
            painter->restore();
        }
    } else {
        button.state |= QStyle::State_Raised;
        style->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
    }
}

bool RosterDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                 const QStyleOptionViewItem &option, const QModelIndex &index) {
    if (index.column() == roster::Selezione) // marked by the view, with its modifiers
        return event->type() == QEvent::MouseButtonPress ||
               event->type() == QEvent::MouseButtonRelease ||
               event->type() == QEvent::MouseButtonDblClick;
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
