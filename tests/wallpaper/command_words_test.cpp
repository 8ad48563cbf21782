// SPDX-License-Identifier: GPL-3.0-or-later
// The user's command template, and file names written into the desktops'
// little languages.
#include "command_words.h"
#include "quoting.h"

#include <gtest/gtest.h>

namespace vistrel::wallpaper::detail {
namespace {

using Words = std::vector<std::string>;

Words Split(const std::string& text)
{
    std::string error;
    std::optional<Words> words = SplitWords(text, error);
    EXPECT_TRUE(words) << error;
    return words.value_or(Words{});
}

TEST(CommandTemplate, SplitsLikeAShellWithoutItsDangers)
{
    EXPECT_EQ(Split("feh  --bg-tile\t%f"), (Words{"feh", "--bg-tile", "%f"}));
    EXPECT_EQ(Split("set-bg 'two words' \"a \\\"b\\\" c\" back\\ slash"),
              (Words{"set-bg", "two words", "a \"b\" c", "back slash"}));
    EXPECT_EQ(Split("tool --x=''"), (Words{"tool", "--x="}));
    EXPECT_EQ(Split("echo $HOME `id` ; rm *"), (Words{"echo", "$HOME", "`id`", ";", "rm", "*"}));

    std::string error;
    EXPECT_FALSE(SplitWords("tool 'open", error));
    EXPECT_NE(error.find("quote"), std::string::npos);
    EXPECT_FALSE(SplitWords("tool \"open", error));
    EXPECT_FALSE(SplitWords("  \t ", error));
    EXPECT_NE(error.find("empty"), std::string::npos);
}

TEST(CommandTemplate, SubstitutesInsideWords)
{
    const std::string file = "/home/a b/it's; rm -rf ~/VistrelImage.bmp";
    EXPECT_EQ(Substitute("%f", file, "tile"), file);
    EXPECT_EQ(Substitute("--image=%f", file, "tile"), "--image=" + file);
    EXPECT_EQ(Substitute("--mode=%s", file, "center"), "--mode=center");
    EXPECT_EQ(Substitute("100%% %x %", file, "tile"), "100% %x %");
    // The substituted text is not scanned again.
    EXPECT_EQ(Substitute("%f", "%s%%", "tile"), "%s%%");
}

TEST(Quoting, FileUrlIsPlainAscii)
{
    EXPECT_EQ(FileUrl("/home/me/.local/share/Vistrel/VistrelImage-12.bmp"),
              "file:///home/me/.local/share/Vistrel/VistrelImage-12.bmp");
    EXPECT_EQ(FileUrl("/a b/#?%'\"\\\n\xc3\xa9"), "file:///a%20b/%23%3F%25%27%22%5C%0A%C3%A9");
}

TEST(Quoting, StringsOfGsettingsScriptsAndSway)
{
    EXPECT_EQ(GVariantString("centered"), "'centered'");
    EXPECT_EQ(GVariantString("/it's\\a\nb"), "'/it\\'s\\\\a\\u000ab'");
    EXPECT_EQ(ScriptString("file:///x\"y"), "\"file:///x\\\"y\"");
    EXPECT_EQ(SwayWord("/a b/\"q\"\\"), "\"/a b/\\\"q\\\"\\\\\"");
}

} // namespace
} // namespace vistrel::wallpaper::detail
