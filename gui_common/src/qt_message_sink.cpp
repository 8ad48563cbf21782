// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/gui/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace vistrel::gui {

int QtMessageSink::Show(std::string_view text, std::string_view caption, unsigned style)
{
    // Above the window that is active, as its transient, rather than as a
    // window of its own the window manager may minimise or maximise.
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    switch (style & 0xF0u) {
    case VISTREL_MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case VISTREL_MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case VISTREL_MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case VISTREL_MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    if ((style & 0x0Fu) == VISTREL_MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? VISTREL_IDYES : VISTREL_IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return VISTREL_IDOK;
}

} // namespace vistrel::gui
