// SPDX-License-Identifier: GPL-3.0-or-later
#include "artwork.h"

#include "vistrel/scheduler/resource_ids.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <map>

namespace vistrel::scheduler {

namespace {

// A small landscape (sky, sun, hills) filling `r`; the scheduler's mark.
void DrawLandscape(QPainter& p, const QRectF& r, bool colour)
{
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, colour ? QColor(70, 140, 230) : QColor(150, 150, 150));
    sky.setColorAt(1, colour ? QColor(170, 215, 255) : QColor(200, 200, 200));
    p.fillRect(r, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(colour ? QColor(255, 205, 40) : QColor(235, 235, 235));
    qreal s = r.height() * 0.32;
    p.drawEllipse(QRectF(r.right() - s * 1.4, r.top() + s * 0.3, s, s));
    QPainterPath hills;
    hills.moveTo(r.left(), r.bottom());
    hills.lineTo(r.left(), r.top() + r.height() * 0.7);
    hills.quadTo(r.left() + r.width() * 0.3, r.top() + r.height() * 0.35, r.left() + r.width() * 0.6,
                 r.top() + r.height() * 0.72);
    hills.quadTo(r.left() + r.width() * 0.8, r.top() + r.height() * 0.55, r.right(), r.top() + r.height() * 0.68);
    hills.lineTo(r.right(), r.bottom());
    hills.closeSubpath();
    p.setBrush(colour ? QColor(60, 160, 70) : QColor(120, 120, 120));
    p.drawPath(hills);
}

// A monitor with a landscape on its screen, scaled to a square of `size`.
void DrawMonitor(QPainter& p, int size, bool colour)
{
    qreal u = size / 16.0;
    QRectF body(0.5 * u, 1 * u, 15 * u, 11 * u);
    p.setPen(QPen(QColor(40, 40, 50), std::max(1.0, u * 0.8)));
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(body, u, u);
    DrawLandscape(p, body.adjusted(1.5 * u, 1.5 * u, -1.5 * u, -1.5 * u), colour);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(6.5 * u, 12 * u, 3 * u, 2 * u));
    p.drawRoundedRect(QRectF(4 * u, 14 * u, 8 * u, 1.5 * u), u * 0.5, u * 0.5);
}

// A badge in the lower right corner: a coloured disc with a white sign.
void DrawBadge(QPainter& p, int size, const QColor& colour, int sign)
{
    qreal u = size / 16.0;
    QRectF disc(8.5 * u, 7.5 * u, 7.5 * u, 7.5 * u);
    p.setPen(QPen(Qt::white, std::max(1.0, u * 0.6)));
    p.setBrush(colour);
    p.drawEllipse(disc);
    QPen pen(Qt::white, std::max(1.0, u * 1.1), Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPointF c = disc.center();
    qreal r = disc.width() * 0.26;
    switch (sign) {
    case 0: // Off: a bar
        p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
        break;
    case 1: // changing: a turning arrow
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 90 * 16, 270 * 16);
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x() + r * 0.7, c.y() - r * 1.5));
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x() + r * 0.7, c.y() - r * 0.4));
        break;
    default: // loading or saving: a down arrow onto a line
        p.drawLine(QPointF(c.x(), c.y() - r * 1.2), QPointF(c.x(), c.y() + r * 0.5));
        p.drawLine(QPointF(c.x() - r * 0.7, c.y() - r * 0.1), QPointF(c.x(), c.y() + r * 0.6));
        p.drawLine(QPointF(c.x() + r * 0.7, c.y() - r * 0.1), QPointF(c.x(), c.y() + r * 0.6));
        p.drawLine(QPointF(c.x() - r, c.y() + r * 1.2), QPointF(c.x() + r, c.y() + r * 1.2));
        break;
    }
}

QPixmap DrawIcon(int iconId, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (iconId) {
    case ids::kIconActive: DrawMonitor(p, size, true); break;
    case ids::kIconOff:
        DrawMonitor(p, size, false);
        DrawBadge(p, size, QColor(200, 40, 40), 0);
        break;
    case ids::kIconChanging:
        DrawMonitor(p, size, true);
        DrawBadge(p, size, QColor(240, 140, 20), 1);
        break;
    case ids::kIconBusy:
        DrawMonitor(p, size, true);
        DrawBadge(p, size, QColor(40, 90, 200), 2);
        break;
    default: break;
    }
    return pixmap;
}

} // namespace

QIcon StatusIcon(int iconId)
{
    // Kept for the whole run and never destroyed: pixmaps must not outlive
    // the application object, which goes before static objects do.
    static auto* cache = new std::map<int, QIcon>;
    auto it = cache->find(iconId);
    if (it != cache->end())
        return it->second;
    QIcon icon;
    if (iconId == ids::kIconActive || iconId == ids::kIconOff || iconId == ids::kIconChanging ||
        iconId == ids::kIconBusy)
        for (int size : {16, 22, 24, 32, 48, 64})
            icon.addPixmap(DrawIcon(iconId, size));
    return cache->emplace(iconId, icon).first->second;
}

QPixmap StartUpPicture()
{
    QPixmap pixmap(240, 150);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A wide monitor whose screen shows the landscape, and a second picture
    // sliding in: the wallpaper about to change.
    QRectF body(10, 5, 220, 120);
    p.setPen(QPen(QColor(40, 40, 50), 3));
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(body, 8, 8);
    QRectF screen = body.adjusted(10, 10, -10, -10);
    DrawLandscape(p, screen, true);
    QRectF next(screen.left() + screen.width() * 0.62, screen.top(), screen.width() * 0.38, screen.height());
    QLinearGradient dusk(next.topLeft(), next.bottomLeft());
    dusk.setColorAt(0, QColor(40, 30, 90));
    dusk.setColorAt(1, QColor(230, 110, 70));
    p.setPen(Qt::NoPen);
    p.fillRect(next, dusk);
    p.setBrush(QColor(255, 250, 220));
    p.drawEllipse(QRectF(next.left() + next.width() * 0.45, next.top() + 12, 14, 14));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(next.topLeft(), next.bottomLeft());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(105, 125, 30, 12));
    p.drawRoundedRect(QRectF(80, 137, 80, 8), 3, 3);
    return pixmap;
}

} // namespace vistrel::scheduler
