// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <QFileInfo>

namespace vistrel::manager {

namespace {

// Requests start with this word, so that other kinds of request can follow
// one day without being taken for a file.
constexpr char kOpen[] = "open ";

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    for (const QString& argument : arguments) {
        // Qt has taken its own options (-platform and its value) by now.
        if (argument.isEmpty() || argument.startsWith(QLatin1Char('-')))
            continue;
        if (line.file.isEmpty())
            line.file = QFileInfo(argument).absoluteFilePath();
    }
    return line;
}

std::string HandOverText(const CommandLine& commandLine)
{
    if (commandLine.file.isEmpty())
        return {};
    return std::string(kOpen) + commandLine.file.toStdString();
}

CommandLine FromHandOver(const std::string& text)
{
    CommandLine line;
    if (text.rfind(kOpen, 0) == 0 && text.size() > sizeof kOpen - 1)
        line.file = QString::fromStdString(text.substr(sizeof kOpen - 1));
    return line;
}

} // namespace vistrel::manager
