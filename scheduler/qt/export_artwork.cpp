// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the scheduler's pictures as files, so that the Win32 program's
// resources show the same icons and start-up picture as the Qt program:
//   vistrel_scheduler_artwork FOLDER
// writes FOLDER/icon-<id>-<size>.png for the four status icons and
// FOLDER/picture.png (bitmap 132 at the Win32 window's size, on white).
// scripts/update-windows-art.sh turns them into the resource files.
#include "artwork.h"
#include "vistrel/scheduler/resource_ids.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

int main(int argc, char** argv)
{
    using namespace vistrel::scheduler;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QString folder = QString::fromLocal8Bit(argv[1]);
    for (int id : {ids::kIconActive, ids::kIconOff, ids::kIconChanging, ids::kIconBusy})
        for (int size : {16, 20, 24, 32, 48})
            if (!StatusIcon(id).pixmap(size, size).save(QString("%1/icon-%2-%3.png").arg(folder).arg(id).arg(size)))
                return 1;
    // The Win32 window is 168 by 86 dialog units; the picture fills most of it.
    QImage picture(176, 110, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(picture.rect(), StartUpPicture());
    p.end();
    return picture.save(folder + "/picture.png") ? 0 : 1;
}
