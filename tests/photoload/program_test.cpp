// SPDX-License-Identifier: GPL-3.0-or-later
// Photoload as the programs meet it: the module through the real loader,
// and vistrelctl adding, composing and describing pictures with it.
#include "photo_support.h"

#include "cli.h"
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"

#include <cctype>
#include <sstream>

namespace photo_test {
namespace {

using namespace vistrel;

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Add("Read_Expander", test::BinDir() / "Read_Expander" / test::LibraryFile("Bitload"));
        dir.Add("Read_Expander", test::BinDir() / "Read_Expander" / test::LibraryFile("Photoload"));
        // The decoders the module loads when a file first needs them.
        const fs::path helpers = test::BinDir() / "Read_Expander" / "Photoload.decoders";
        if (fs::is_directory(helpers)) {
            fs::create_directories(fs::path(dir.Folder()) / "Read_Expander" / "Photoload.decoders");
            for (const auto& helper : fs::directory_iterator(helpers))
                dir.Add("Read_Expander/Photoload.decoders", helper.path());
        }
        dir.Add("View_Expander", test::BinDir() / "View_Expander" / test::LibraryFile("Picshow"));
        dir.Add("Scheduler_Expander", test::BinDir() / "Scheduler_Expander" / test::LibraryFile("Clockpace"));
    }
    int Run(std::vector<std::string> args)
    {
        out.str("");
        return vistrelctl::Run(args, dir.Folder(), out);
    }

    test::RecordingSink sink;
    test::PrivateSettings settings;
    test::ProgramDir dir;
    Workshop shop;
    std::ostringstream out;
};

TEST_F(Program, TheModuleDescribesItselfAndSaysWhyAReadFailed)
{
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    ExtenderHandle photoload = registry.Extenders(ExtenderKind::Reader).at(1);
    if (std::string(ext::ShortName(photoload)) != "Photoload")
        photoload = registry.Extenders(ExtenderKind::Reader).at(0); // the folder's order
    ASSERT_STREQ(ext::ShortName(photoload), "Photoload");
    EXPECT_STREQ(ext::ID(photoload), "R0002-PHOTOLOAD              ");
    EXPECT_EQ(std::string(ext::ID(photoload)).size(), 29u);
    EXPECT_STREQ(ext::ReturnType(photoload), "image");
    EXPECT_STREQ(ext::Extensions(photoload), vistrel::photoload::PhotoExtensions());
    EXPECT_TRUE(ext::Lookup(photoload, "readAtLeast"));
    gmem::Owner block(ext::GetDefParams(photoload));
    ASSERT_TRUE(block);
    EXPECT_EQ(gmem::Size(block.get()), 44u);
    EXPECT_EQ(registry.FindExtenderById("R0002-PHOTOLOAD              "), photoload);

    // A decoder the module cannot find is named in the error.
    const fs::path helpers = fs::path(dir.Folder()) / "Read_Expander" / "Photoload.decoders";
    if (fs::is_directory(helpers) && Reads(".tif")) {
        const fs::path moved = shop.File("moved");
        fs::rename(helpers, moved);
        const fs::path tiff = shop.File("a.tif");
        WriteBytes(tiff, {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0});
        EXPECT_EQ(ext::Read(photoload, tiff.string().c_str(), block.get()), nullptr);
        EXPECT_EQ(std::string(ext::GetError(photoload)).rfind("The TIFF decoder cannot be loaded: ", 0), 0u)
            << ext::GetError(photoload);
        fs::rename(moved, helpers);
    }

    const fs::path broken = shop.File("broken.png");
    WriteBytes(broken, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});
    EXPECT_EQ(ext::Read(photoload, broken.string().c_str(), block.get()), nullptr);
#ifdef _WIN32
    EXPECT_GT(std::string(ext::GetError(photoload)).size(), 10u) << ext::GetError(photoload);
#else
    EXPECT_EQ(std::string(ext::GetError(photoload)).rfind("PNG: ", 0), 0u) << ext::GetError(photoload);
#endif
}

TEST_F(Program, AddingAFolderTakesEveryPictureAndComposeShowsThem)
{
    PHOTO_REQUIRE_CONVERT();
    const fs::path pictures = shop.File("pictures");
    fs::create_directories(pictures);
    std::vector<std::string> names = {"a.bmp", "notes.txt"};
    for (const char* name : {"b.jpg", "c.PNG", "d.webp", "e.gif", "f.tiff", "g.heic", "h.avif"}) {
        std::string ending = fs::path(name).extension().string();
        for (char& ch : ending)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (Reads(ending))
            names.push_back(name);
    }
    for (const std::string& name : names)
        shop.Make("pictures/" + name, "-size 64x48 gradient:red-blue");
    const std::string list = shop.File("L.vist").string();
    ASSERT_EQ(Run({"new", list}), 0);
    ASSERT_EQ(Run({"add", list, pictures.string()}), 0);
    EXPECT_EQ(out.str(), std::to_string(names.size() - 1) + " entries added\n"); // all but the notes

    ASSERT_EQ(Run({"show", list, "--json"}), 0);
    const std::string json = out.str();
    EXPECT_NE(json.find("R0001-BITLOAD"), std::string::npos);
    EXPECT_NE(json.find("R0002-PHOTOLOAD"), std::string::npos);

    for (const std::string& name : names) {
        if (name == "notes.txt" || name == "a.bmp")
            continue;
        SCOPED_TRACE(name);
        const fs::path picture = pictures / name, composed = shop.File(name + ".bmp");
        ASSERT_EQ(Run({"compose", picture.string(), "-o", composed.string(), "--mode", "proportioned", "--screen",
                       "320x200"}),
                  0);
        EXPECT_EQ(out.str(), "267x200 center\n");
        EXPECT_TRUE(fs::exists(composed));
    }
}

} // namespace
} // namespace photo_test
