// SPDX-License-Identifier: GPL-3.0-or-later
// Vistrel: the list manager. Takes an optional list file to open; without
// one it opens the list used last. Every start also starts the scheduler.
#include "app/texts.h"
#include "app/vistrel_app.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/gui/qt_message_sink.h"

#include <QApplication>

int main(int argc, char** argv)
{
    using namespace vistrel;
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vistrel"));
    QApplication::setApplicationVersion(QStringLiteral(VISTREL_PRODUCT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vistrel"));
    SetProgramName(std::string(manager::texts::kProgramName));
    gui::QtMessageSink sink;
    SetMessageSink(&sink);

    int result = 0;
    {
        manager::AppOptions options;
        options.arguments = QApplication::arguments().mid(1);
        manager::CVistrelApp app(std::move(options));
        switch (app.InitInstance()) {
        case manager::StartResult::Running: result = QApplication::exec(); break;
        case manager::StartResult::SecondCopy: result = 0; break;
        case manager::StartResult::Failed: result = 1; break;
        }
    }
    SetMessageSink(nullptr);
    return result;
}
