// SPDX-License-Identifier: GPL-3.0-or-later
#include "modal_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

namespace vistrel::test {

bool WithModalDialog(const QString& objectName, const std::function<void(QDialog&)>& drive,
                     const std::function<void()>& open)
{
    bool seen = false;
    QElapsedTimer waiting;
    waiting.start();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == objectName && dialog->isVisible()) {
            poll.stop();
            seen = true;
            drive(*dialog);
            if (dialog && dialog->isVisible())
                dialog->reject();
        } else if (waiting.elapsed() > 5000) {
            poll.stop();
            if (dialog)
                dialog->reject(); // some other dialog: let `open` return
        }
    });
    poll.start();
    open();
    poll.stop();
    return seen;
}

void Click(QDialog& dialog, int id) { Control<QAbstractButton>(dialog, id)->click(); }

} // namespace vistrel::test
