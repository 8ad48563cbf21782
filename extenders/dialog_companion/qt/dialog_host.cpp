// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialog_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

namespace vistrel::companion {

bool CanShowDialogs()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

QWidget* DialogOwner() { return QApplication::activeWindow(); }

void SetControlId(QWidget* control, int id) { control->setObjectName(QString::number(id)); }

void ShowMessage(VistrelMessageFn sink, QWidget* parent, const QString& text, const QString& caption, unsigned style)
{
    if (sink) {
        sink(text.toUtf8().constData(), caption.toUtf8().constData(), style);
        return;
    }
    QMessageBox::warning(parent, caption, text);
}

} // namespace vistrel::companion
