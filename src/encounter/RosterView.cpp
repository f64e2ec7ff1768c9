#include "encounter/RosterView.h"

#include "encounter/RosterModel.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

RosterView::RosterView(QWidget *parent) : QTableView(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAutoScroll(false);
    setSelectionMode(NoSelection);
    setEditTriggers(AllEditTriggers);
    setItemDelegate(new RosterDelegate(this));
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

QWidget *RosterDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                      const QModelIndex &) const {
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
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
}

void RosterDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                  const QModelIndex &index) const {
    model->setData(index, static_cast<QLineEdit *>(editor)->text(), Qt::EditRole);
}

void RosterDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const {
    const int column = index.column();
    if (column != RosterModel::Selezione && column != RosterModel::Elimina &&
        column != RosterModel::Visualizza) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionButton button;
    button.rect = option.rect.adjusted(2, 2, -2, -2);
    button.text = index.data(Qt::DisplayRole).toString();
    button.state = QStyle::State_Enabled;
    button.palette = option.palette;
    if (column == RosterModel::Selezione) {
        const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        button.state |= on ? QStyle::State_On : QStyle::State_Off;
        button.rect.adjust(4, 0, 0, 0);
        style->drawControl(QStyle::CE_RadioButton, &button, painter, option.widget);
    } else {
        button.state |= QStyle::State_Raised;
        style->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
    }
}

bool RosterDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                 const QStyleOptionViewItem &option, const QModelIndex &index) {
    if (index.column() == RosterModel::Selezione) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
            option.rect.contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
            model->setData(index, Qt::Checked, Qt::CheckStateRole);
            return true;
        }
        return event->type() == QEvent::MouseButtonPress ||
               event->type() == QEvent::MouseButtonDblClick;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
