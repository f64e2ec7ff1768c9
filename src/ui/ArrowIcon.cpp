#include "ui/ArrowIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

class ArrowEngine : public QIconEngine {
public:
    ArrowEngine(bool up, int chevrons) : m_up(up), m_chevrons(chevrons) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QColor colour = mode == QIcon::Disabled ? QColor(150, 150, 150) : QColor(30, 60, 120);
        const qreal w = rect.width();
        const qreal h = rect.height();
        const qreal side = std::min(w, h);
        const qreal arrowW = side * 0.8;
        const qreal arrowH = side * 0.34;
        const qreal step = m_chevrons > 1 ? (side * 0.7 - arrowH) / (m_chevrons - 1) : 0;
        const qreal total = arrowH + step * (m_chevrons - 1);
        const qreal left = rect.x() + (w - arrowW) / 2;
        const qreal top = rect.y() + (h - total) / 2;
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        for (int i = 0; i < m_chevrons; ++i) {
            const qreal y = top + step * i;
            QPainterPath path;
            if (m_up) {
                path.moveTo(left, y + arrowH);
                path.lineTo(left + arrowW / 2, y);
                path.lineTo(left + arrowW, y + arrowH);
            } else {
                path.moveTo(left, y);
                path.lineTo(left + arrowW / 2, y + arrowH);
                path.lineTo(left + arrowW, y);
            }
            path.closeSubpath();
            painter->drawPath(path);
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap result(size);
        result.fill(Qt::transparent);
        QPainter painter(&result);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return result;
    }

    QIconEngine *clone() const override { return new ArrowEngine(m_up, m_chevrons); }

private:
    bool m_up;
    int m_chevrons;
};

} // namespace

QIcon arrowIcon(bool up, int chevrons) {
    return QIcon(new ArrowEngine(up, chevrons));
}
