// SPDX-License-Identifier: GPL-3.0-or-later
// The user's own command, for desktops without a backend of their own.
#include "backends.h"
#include "command_words.h"
#include "run.h"

namespace vistrel::wallpaper::detail {

namespace {

class CommandInstaller final : public WallpaperInstaller {
public:
    explicit CommandInstaller(std::string commandTemplate) : template_(std::move(commandTemplate)) {}

    std::string_view Name() const override { return "command"; }

    bool Apply(std::string& error) override
    {
        if (!FileReady(error))
            return false;
        std::optional<std::vector<std::string>> words = SplitWords(template_, error);
        if (!words)
            return false;
        std::vector<std::string> arguments;
        for (std::size_t i = 1; i < words->size(); ++i)
            arguments.push_back(Substitute((*words)[i], file_, StyleWord(style_)));
        return RunChecked(Substitute(words->front(), file_, StyleWord(style_)), arguments, error);
    }

private:
    std::string template_;
};

} // namespace

std::unique_ptr<WallpaperInstaller> MakeCommandInstaller(const std::string& commandTemplate)
{
    return std::make_unique<CommandInstaller>(commandTemplate);
}

} // namespace vistrel::wallpaper::detail
