// SPDX-License-Identifier: GPL-3.0-or-later
// Vistrel: the list manager. Takes an optional list file to open; without
// one it opens the list used last. Every start also starts the scheduler.
#include "app/desktop_file_dialog.h"
#include "app/texts.h"
#include "app/vistrel_app.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/gui/qt_message_sink.h"

#include <QApplication>
#include <QByteArray>
#include <QStringList>
#include <vector>

int main(int argc, char** argv)
{
    using namespace vistrel;
    // The file dialogs go through the desktop's portal where one runs: Qt
    // takes its platform theme when the application object is made. An
    // argument rather than the variable, so that the programs started from
    // here (the scheduler, the browser) make their own choice.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    QByteArray themeOption("-platformtheme");
    QByteArray theme = manager::StartupPlatformTheme(given).toLocal8Bit();
    std::vector<char*> arguments(argv, argv + argc);
    if (!theme.isEmpty())
        arguments.insert(arguments.begin() + (argc > 0 ? 1 : 0), {themeOption.data(), theme.data()});
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    QApplication qt(count, arguments.data());
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
