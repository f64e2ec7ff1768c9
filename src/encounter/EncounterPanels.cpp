#include "encounter/EncounterPanels.h"

#include "common/Twips.h"
#include "core/fight/Encounter.h"
#include "ui/ArrowIcon.h"
#include "ui/Form.h"
#include "ui/Look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

ScrollColumn::ScrollColumn(QWidget *canvas, Encounter &encounter, QRect column) {
    struct Design {
        const char *name;
        int top;
        bool up;
        int chevrons;
        int lines;
        const char *tip;
    };
    static constexpr std::array<Design, 6> arrows{{
        {"Sux3", 120, true, 3, 10, "Scorre di 10 Linee"},
        {"Sux2", 480, true, 2, 5, "Scorre di 5 Linee"},
        {"Su", 840, true, 1, 1, "Scorre di 1 Linea"},
        {"Giu", 1920, false, 1, 1, "Scorre di 1 Linea"},
        {"Giux2", 2280, false, 2, 5, "Scorre di 5 Linee"},
        {"Giux3", 2640, false, 3, 10, "Scorre di 10 Linee"},
    }};
    auto slot = [&](int top) {
        return QRect(column.left(), twips(top) + column.top(), column.width(), twips(375));
    };
    std::size_t next = 0;
    for (const Design &design : arrows) {
        auto *button = new QToolButton(canvas);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setGeometry(slot(design.top));
        button->setIcon(arrowIcon(design.up, design.chevrons));
        button->setIconSize(QSize(twips(495), twips(375)) - QSize(6, 4));
        button->setToolTip(QString::fromUtf8(design.tip));
        const int lines = design.lines;
        const bool up = design.up;
        QObject::connect(button, &QToolButton::clicked, canvas, [&encounter, lines, up] {
            up ? encounter.scroll().up(lines) : encounter.scroll().down(lines);
        });
        m_controls[next++] = button;
    }
    auto *line = new QLineEdit(QStringLiteral("1"), canvas);
    line->setObjectName(QStringLiteral("IndiceScelto"));
    line->setGeometry(slot(1200));
    line->setToolTip(QStringLiteral("Scrivi qui il numero della linea a cui vuoi andare"));
    auto *go = new QPushButton(QStringLiteral("Vai"), canvas);
    go->setObjectName(QStringLiteral("VaiIndiceScelto"));
    go->setGeometry(slot(1560));
    QObject::connect(go, &QPushButton::clicked, canvas,
                     [&encounter, line] { encounter.scroll().goToLine(line->text()); });
    QObject::connect(line, &QLineEdit::returnPressed, go, &QPushButton::click);
    m_controls[next++] = line;
    m_controls[next++] = go;
}

void ScrollColumn::setVisible(bool shown) {
    for (QWidget *control : m_controls)
        control->setVisible(shown);
}

PartyPanel::PartyPanel(QWidget *canvas, Encounter &encounter, int left, int width, int top)
    : m_encounter(encounter) {
    constexpr int gap = 45;
    const QFontMetrics metrics(canvas->font());
    const int label = metrics.horizontalAdvance(QStringLiteral("Iniz.")) + 6;
    const int iniz = std::max(twips(495), metrics.horizontalAdvance(QStringLiteral("-888")) + 16);
    const int name = width - label - iniz - 2 * twips(gap);
    for (int i = 0; i < slotCount; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const int y = top + i * twips(405);
        m_name[s] = new QLineEdit(canvas);
        m_name[s]->setObjectName(item("NomePG", i));
        m_name[s]->setGeometry(left, y, name, twips(375));
        m_name[s]->setEnabled(false);
        m_label[s] = new QLabel(QStringLiteral("Iniz."), canvas);
        m_label[s]->setObjectName(item("LblIniz", i));
        m_label[s]->setGeometry(left + name + twips(gap), y, label, twips(375));
        m_iniz[s] = new QLineEdit(QStringLiteral("0"), canvas);
        m_iniz[s]->setObjectName(item("InizPG", i));
        m_iniz[s]->setGeometry(left + width - iniz, y, iniz, twips(375));
        QObject::connect(m_iniz[s], &QLineEdit::textChanged, canvas,
                         [&encounter, i](const QString &text) { encounter.setPartyIniz(i, text); });
    }
}

void PartyPanel::apply() {
    for (int i = 0; i < slotCount; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const PartySlot &slot = m_encounter.party(i);
        m_name[s]->setText(slot.name);
        if (m_iniz[s]->text() != slot.iniz)
            m_iniz[s]->setText(slot.iniz);
        for (QWidget *w : std::initializer_list<QWidget *>{m_label[s], m_name[s], m_iniz[s]})
            w->setVisible(slot.shown);
        look::setFieldHighlight(m_name[s], slot.highlighted);
        look::setFieldHighlight(m_iniz[s], slot.highlighted);
    }
}
