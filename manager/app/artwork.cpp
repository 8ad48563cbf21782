// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/artwork.h"

#include "app/resource_ids.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vistrel::manager {

namespace {

const QColor kOutline(40, 40, 50);

void DrawPage(QPainter& p, const QRectF& r)
{
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - 4, r.top());
    page.lineTo(r.right(), r.top() + 4);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
    p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
}

void DrawNew(QPainter& p) { DrawPage(p, QRectF(2.5, 0.5, 10, 13)); }

void DrawOpen(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(230, 180, 50));
    p.drawRect(QRectF(0.5, 3.5, 12, 9));
    QPolygonF flap{{2.5, 6.5}, {15.5, 6.5}, {12.5, 12.5}, {0.5, 12.5}};
    p.setBrush(QColor(250, 215, 100));
    p.drawPolygon(flap);
}

void DrawSave(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(QRectF(1.5, 0.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 0.5, 7, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(3.5, 8.5, 9, 5));
}

void DrawCut(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.drawLine(QPointF(4, 1), QPointF(10, 10));
    p.drawLine(QPointF(12, 1), QPointF(6, 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2.5, 9.5, 4, 4));
    p.drawEllipse(QRectF(9.5, 9.5, 4, 4));
}

void DrawCopy(QPainter& p)
{
    DrawPage(p, QRectF(0.5, 0.5, 8, 10));
    DrawPage(p, QRectF(6.5, 3.5, 8, 10));
}

void DrawPaste(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(170, 120, 60));
    p.drawRect(QRectF(1.5, 1.5, 10, 12));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4.5, 0.5, 4, 2));
    DrawPage(p, QRectF(7.5, 5.5, 7, 8));
}

void DrawInsert(QPainter& p)
{
    DrawPage(p, QRectF(0.5, 0.5, 9, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 150, 40));
    p.drawRect(QRectF(11, 5, 2, 9));
    p.drawRect(QRectF(7.5, 8.5, 9, 2));
}

void DrawRandom(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(220, 40, 40));
    p.drawRoundedRect(QRectF(1.5, 0.5, 13, 13), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (QPointF dot : {QPointF(4.5, 3.5), QPointF(8, 7), QPointF(11.5, 10.5), QPointF(11.5, 3.5), QPointF(4.5, 10.5)})
        p.drawEllipse(dot, 1.3, 1.3);
}

void DrawClock(QPainter& p, const QRectF& r)
{
    const qreal u = r.width() / 16.0;
    p.setPen(QPen(kOutline, std::max(1.0, u)));
    p.setBrush(QColor(250, 250, 240));
    p.drawEllipse(r.adjusted(u * 0.5, u * 0.5, -u * 0.5, -u * 0.5));
    const QPointF centre = r.center();
    p.setPen(QPen(kOutline, std::max(1.0, u * 1.2), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(0, -5.5 * u));
    p.drawLine(centre, centre + QPointF(3.5 * u, 1.5 * u));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(centre, 1.2 * u, 1.2 * u);
}

void DrawAbout(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(40, 110, 200));
    p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
    QFont font = p.font();
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0.5, 0.5, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

// A monitor whose screen shows one landscape giving way to another.
void DrawProgramPicture(QPainter& p, int size)
{
    const qreal u = size / 16.0;
    const QRectF body(0.5 * u, 1 * u, 15 * u, 11 * u);
    p.setPen(QPen(kOutline, std::max(1.0, u * 0.8)));
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(body, u, u);
    const QRectF screen = body.adjusted(1.5 * u, 1.5 * u, -1.5 * u, -1.5 * u);
    QLinearGradient day(screen.topLeft(), screen.bottomLeft());
    day.setColorAt(0, QColor(70, 140, 230));
    day.setColorAt(1, QColor(170, 215, 255));
    p.fillRect(screen, day);
    QRectF dusk(screen.left() + screen.width() * 0.55, screen.top(), screen.width() * 0.45, screen.height());
    QLinearGradient evening(dusk.topLeft(), dusk.bottomLeft());
    evening.setColorAt(0, QColor(120, 50, 140));
    evening.setColorAt(1, QColor(250, 150, 80));
    p.fillRect(dusk, evening);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 160, 70));
    QPainterPath hills;
    hills.moveTo(screen.left(), screen.bottom());
    hills.lineTo(screen.left(), screen.top() + screen.height() * 0.7);
    hills.quadTo(screen.center().x(), screen.top() + screen.height() * 0.35, screen.right(),
                 screen.top() + screen.height() * 0.72);
    hills.lineTo(screen.right(), screen.bottom());
    hills.closeSubpath();
    p.drawPath(hills);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(6.5 * u, 12 * u, 3 * u, 2 * u));
    p.drawRoundedRect(QRectF(4 * u, 14 * u, 8 * u, 1.5 * u), u * 0.5, u * 0.5);
}

} // namespace

QPixmap ToolbarImage(int index)
{
    if (index < 0 || index >= kToolbarImageCount)
        return {};
    QImage image(kToolbarImageWidth, kToolbarImageHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (index) {
    case 0: DrawNew(p); break;
    case 1: DrawOpen(p); break;
    case 2: DrawSave(p); break;
    case 3: DrawCut(p); break;
    case 4: DrawCopy(p); break;
    case 5: DrawPaste(p); break;
    case 6: DrawInsert(p); break;
    case 7: DrawRandom(p); break;
    case 8: DrawClock(p, QRectF(0, 0, 15, 15)); break;
    case 9: DrawAbout(p); break;
    default: break;
    }
    p.end();
    return QPixmap::fromImage(image);
}

QPixmap ToolbarImageFor(int commandId)
{
    switch (commandId) {
    case ids::kCmdFileNew: return ToolbarImage(0);
    case ids::kCmdFileOpen: return ToolbarImage(1);
    case ids::kCmdFileSave: return ToolbarImage(2);
    case ids::kCmdInsertNoDup: return ToolbarImage(6);
    case ids::kCmdToggleRandom: return ToolbarImage(7);
    case ids::kCmdSchedulerOptions: return ToolbarImage(8);
    case ids::kCmdAppAbout: return ToolbarImage(9);
    default: return {};
    }
}

QIcon ProgramIcon()
{
    // The program carries the desktop's icon pictures; a library user
    // without them (the widget tests) gets a drawn one.
    QIcon shipped;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/vistrel-%1.png").arg(size);
        if (QFile::exists(file))
            shipped.addFile(file, QSize(size, size));
    }
    if (!shipped.isNull())
        return shipped;
    QIcon drawn;
    for (int size : {16, 22, 32, 48, 64}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        DrawProgramPicture(p, size);
        p.end();
        drawn.addPixmap(QPixmap::fromImage(image));
    }
    return QIcon::fromTheme(QStringLiteral("vistrel"), drawn);
}

QPixmap SchedulerOptionsIcon()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    DrawClock(p, QRectF(0, 0, 32, 32));
    p.end();
    return QPixmap::fromImage(image);
}

} // namespace vistrel::manager
