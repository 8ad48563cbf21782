// SPDX-License-Identifier: GPL-3.0-or-later
// The "Free Pos..." dialog as the list manager opens it: RunCommand 4 of the
// real Picshow, loaded by the real loader from the build tree, which finds
// its dialog companion there. Qt's offscreen platform, no X server.
#include "environment.h"
#include "modal_dialog.h"
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/dib/dib.h"
#include "vistrel/platform/settings_store.h"
#include "vistrel/wallpaper/screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

using namespace vistrel;
using namespace vistrel::test;

constexpr int kWorkRight = 1600, kWorkBottom = 1200;

std::uint32_t U32(const std::uint8_t* p) { return dib::LoadU32(p); }

class FreePosDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::settings::SetLocation(SettingsFile());
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kScreenKey));
        for (auto [name, value] : {std::pair{"Width", kWorkRight},
                                   {"Height", kWorkBottom},
                                   {"WorkWidth", kWorkRight},
                                   {"WorkHeight", kWorkBottom}})
            ASSERT_TRUE(
                platform::settings::WriteNumber(wallpaper::kScreenKey, name, static_cast<std::uint32_t>(value)));
        ASSERT_TRUE(registry.LoadExtenders(BinDir().string() + "/"));
        viewer = registry.FindExtenderById("V0001-PICSHOW                ");
        ASSERT_TRUE(viewer);
        block = static_cast<std::uint8_t*>(ext::GetDefParams(viewer));
        ASSERT_TRUE(block);
    }
    void TearDown() override { gmem::Free(block); }

    // The module reads $VISTREL_SETTINGS once: one private file for the run.
    static std::string SettingsFile()
    {
        static TempDir dir;
        static std::string file = [] {
            std::string f = dir.File("Vistrel.ini");
            SetEnvironment("VISTREL_SETTINGS", f);
            return f;
        }();
        return file;
    }

    std::string Bytes() const { return std::string(reinterpret_cast<const char*>(block), 72); }

    // Runs Free Pos on the block with `drive` inside the dialog.
    void RunFreePos(const std::function<void(QDialog&)>& drive)
    {
        bool shown = WithModalDialog("1001", drive, [&] { EXPECT_EQ(ext::RunCommand(viewer, block, 4), block); });
        EXPECT_TRUE(shown) << "the Free Pos dialog never showed";
    }

    static QString Text(QDialog& d, int id) { return Control<QLineEdit>(d, id)->text(); }
    static bool Enabled(QDialog& d, int id) { return Control<QWidget>(d, id)->isEnabled(); }

    ScopedEnvironment noDisplay{"DISPLAY", std::nullopt};
    RecordingSink sink;
    CExtenderRegistry registry;
    ExtenderHandle viewer = nullptr;
    std::uint8_t* block = nullptr;
};

TEST_F(FreePosDialog, OpensOnADefaultBlockWithFreePosSelected)
{
    std::string before = Bytes();
    RunFreePos([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Free Pos...");
        EXPECT_TRUE(Control<QRadioButton>(d, 1003)->isChecked());
        EXPECT_TRUE(Control<QCheckBox>(d, 1021)->isChecked());
        EXPECT_FALSE(Control<QCheckBox>(d, 1015)->isVisible()) << "\"Tiled\" is hidden";
        EXPECT_FALSE(Control<QPushButton>(d, 1022)->isVisible());
        for (int id : {1007, 1008, 1009, 1010})
            EXPECT_TRUE(Enabled(d, id)) << id;
        for (int id : {1016, 1017, 1018, 1019})
            EXPECT_FALSE(Enabled(d, id)) << id << ": sizes follow the proportions";
        for (int id : {1006, 1002}) {
            EXPECT_FALSE(Enabled(d, id)) << id;
            EXPECT_EQ(Control<QComboBox>(d, id)->currentText(), "(Default)") << id;
        }
        EXPECT_TRUE(d.findChild<QWidget*>("preview")->isEnabled());
        EXPECT_EQ(Text(d, 1011), "0");
        EXPECT_EQ(Text(d, 1012), "0");
        EXPECT_EQ(Text(d, 1013), "640");
        EXPECT_EQ(Text(d, 1014), "480");
        for (int id : {1011, 1012, 1013, 1014})
            EXPECT_TRUE(Control<QLineEdit>(d, id)->isReadOnly()) << id;

        QComboBox* border = Control<QComboBox>(d, 1006);
        QComboBox* tiles = Control<QComboBox>(d, 1002);
        ASSERT_EQ(border->count(), 10);
        EXPECT_EQ(border->itemText(1), "with Border (10%)");
        EXPECT_EQ(border->itemText(9), "with Border (90%)");
        ASSERT_EQ(tiles->count(), 20);
        EXPECT_EQ(tiles->itemText(1), "2");
        EXPECT_EQ(tiles->itemText(19), "20");
        Click(d, 2);
    });
    EXPECT_EQ(Bytes(), before);
}

TEST_F(FreePosDialog, ArrowsStopAtTheirBounds)
{
    dib::StoreU32(block + 52, 1600); // X at its top
    dib::StoreU32(block + 64, 1);    // LY one above its bottom
    RunFreePos([&](QDialog& d) {
        Click(d, 1009); // X + 1
        EXPECT_EQ(Text(d, 1011), "1600");
        Click(d, 1007); // Y - 1
        EXPECT_EQ(Text(d, 1012), "0");
        Click(d, 1008);
        Click(d, 1010);
        Click(d, 1010);
        Control<QCheckBox>(d, 1021)->click(); // untick: the size arrows wake
        for (int id : {1016, 1017, 1018, 1019})
            EXPECT_TRUE(Enabled(d, id)) << id;
        Click(d, 1019); // LY - 1
        Click(d, 1019);
        EXPECT_EQ(Text(d, 1014), "0");
        Click(d, 1016); // LY + 1
        for (int i = 0; i < 3; ++i)
            Click(d, 1018); // LX + 1
        Click(d, 1017);
        Click(d, 1); // OK
    });
    EXPECT_EQ(U32(block + 52), 1599u);
    EXPECT_EQ(U32(block + 56), 2u);
    EXPECT_EQ(U32(block + 60), 642u);
    EXPECT_EQ(U32(block + 64), 1u);
    EXPECT_EQ(U32(block + 48) & 0x3F, 0u) << "Preserve Proportions cleared, variant 0";
    EXPECT_EQ(U32(block + 44), 4u);
    EXPECT_EQ(U32(block + 4), 1009u);
}

// The preview maps the work area onto its window, stretched both ways.
QPoint PreviewPoint(QWidget* preview, double fx, double fy)
{
    return {static_cast<int>(std::lround(fx * preview->width())),
            static_cast<int>(std::lround(fy * preview->height()))};
}
int WorkX(QWidget* preview, int px)
{
    return static_cast<int>(std::lround(double(px) * kWorkRight / preview->width()));
}
int WorkY(QWidget* preview, int py)
{
    return static_cast<int>(std::lround(double(py) * kWorkBottom / preview->height()));
}

TEST_F(FreePosDialog, ADragUpAndToTheLeftGivesAPositiveRectangleFromTheReleasePoint)
{
    int x = 0, y = 0, lx = 0, ly = 0;
    RunFreePos([&](QDialog& d) {
        QWidget* preview = d.findChild<QWidget*>("preview");
        ASSERT_TRUE(preview && preview->width() > 100 && preview->height() > 100);
        QPoint press = PreviewPoint(preview, 0.75, 0.8), release = PreviewPoint(preview, 0.25, 0.2);
        QTest::mousePress(preview, Qt::LeftButton, {}, press);
        QTest::mouseMove(preview, PreviewPoint(preview, 0.5, 0.5));
        EXPECT_LT(Text(d, 1013).toInt(), 0) << "while dragging the size follows the pointer";
        QTest::mouseRelease(preview, Qt::LeftButton, {}, release);
        x = WorkX(preview, release.x());
        y = WorkY(preview, release.y());
        lx = WorkX(preview, press.x()) - x;
        ly = WorkY(preview, press.y()) - y;
        EXPECT_EQ(Text(d, 1011).toInt(), x);
        EXPECT_EQ(Text(d, 1012).toInt(), y);
        EXPECT_EQ(Text(d, 1013).toInt(), lx);
        EXPECT_EQ(Text(d, 1014).toInt(), ly);
        Click(d, 1);
    });
    EXPECT_GT(lx, 0);
    EXPECT_GT(ly, 0);
    EXPECT_EQ(U32(block + 52), static_cast<std::uint32_t>(x));
    EXPECT_EQ(U32(block + 56), static_cast<std::uint32_t>(y));
    EXPECT_EQ(U32(block + 60), static_cast<std::uint32_t>(lx));
    EXPECT_EQ(U32(block + 64), static_cast<std::uint32_t>(ly));
}

TEST_F(FreePosDialog, ARectangleDraggedPastTheEdgesIsBroughtInside)
{
    RunFreePos([&](QDialog& d) {
        QWidget* preview = d.findChild<QWidget*>("preview");
        QPoint middle = PreviewPoint(preview, 0.5, 0.5);
        int x = WorkX(preview, middle.x()), y = WorkY(preview, middle.y());
        QTest::mousePress(preview, Qt::LeftButton, {}, middle);
        QTest::mouseMove(preview, {preview->width() + 40, preview->height() + 40});
        QTest::mouseRelease(preview, Qt::LeftButton, {}, {preview->width() + 40, preview->height() + 40});
        EXPECT_EQ(Text(d, 1011).toInt(), x);
        EXPECT_EQ(Text(d, 1013).toInt(), kWorkRight - x) << "ends at the work area's right";
        EXPECT_EQ(Text(d, 1014).toInt(), kWorkBottom - y);

        QTest::mousePress(preview, Qt::LeftButton, {}, middle);
        QTest::mouseRelease(preview, Qt::LeftButton, {}, {-30, -30});
        EXPECT_EQ(Text(d, 1011), "0") << "starts no further left than the work area";
        EXPECT_EQ(Text(d, 1012), "0");
        EXPECT_GE(Text(d, 1013).toInt(), x);
        Click(d, 2);
    });
}

TEST_F(FreePosDialog, OkWithTileAndFiveStoresTheTiledVariant)
{
    block[48] |= 0xC0; // flag bits the dialog does not own
    RunFreePos([&](QDialog& d) {
        Click(d, 1005);
        EXPECT_TRUE(Enabled(d, 1002));
        EXPECT_FALSE(Enabled(d, 1006));
        for (int id : {1007, 1008, 1009, 1010, 1016, 1017, 1018, 1019, 1021})
            EXPECT_FALSE(Enabled(d, id)) << id;
        EXPECT_FALSE(d.findChild<QWidget*>("preview")->isEnabled());
        Control<QComboBox>(d, 1002)->setCurrentText("5");
        Click(d, 1);
    });
    EXPECT_EQ(U32(block + 44), 4u) << "mode Free Pos";
    EXPECT_EQ(U32(block + 48) & 0x0F, 2u) << "variant: tiled with count";
    EXPECT_EQ(block[69], 4) << "the list's fifth entry";
    EXPECT_EQ(block[68], 0);
    EXPECT_EQ(U32(block + 4), 1009u);
    EXPECT_EQ(U32(block + 48) & 0xF0, 0xE0u) << "Preserve Proportions and the other bits kept";
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(FreePosDialog, CentreEnablesOnlyTheBorderList)
{
    RunFreePos([&](QDialog& d) {
        Click(d, 1004);
        EXPECT_TRUE(Enabled(d, 1006));
        EXPECT_FALSE(Enabled(d, 1002));
        EXPECT_FALSE(Enabled(d, 1007));
        Control<QComboBox>(d, 1006)->setCurrentIndex(3);
        Click(d, 1003); // back to Free Pos: the arrows return, the lists go
        EXPECT_TRUE(Enabled(d, 1007));
        EXPECT_FALSE(Enabled(d, 1006));
        Click(d, 1004);
        Click(d, 1);
    });
    EXPECT_EQ(U32(block + 48) & 0x0F, 1u);
    EXPECT_EQ(block[68], 3);
}

TEST_F(FreePosDialog, CancelAfterChangesLeavesTheBlockByteForByte)
{
    dib::StoreU32(block + 48, 0x11); // Centre with "Tiled" set
    block[68] = 5;
    block[69] = 7;
    std::string before = Bytes();
    RunFreePos([&](QDialog& d) {
        EXPECT_TRUE(Control<QRadioButton>(d, 1004)->isChecked());
        EXPECT_EQ(Control<QComboBox>(d, 1006)->currentIndex(), 5);
        EXPECT_EQ(Control<QComboBox>(d, 1002)->currentIndex(), 7);
        Click(d, 1003);
        Click(d, 1009);
        Click(d, 1010);
        QWidget* preview = d.findChild<QWidget*>("preview");
        QTest::mousePress(preview, Qt::LeftButton, {}, {10, 10});
        QTest::mouseRelease(preview, Qt::LeftButton, {}, {60, 50});
        Click(d, 1005);
        Control<QComboBox>(d, 1002)->setCurrentIndex(9);
        Click(d, 2);
    });
    EXPECT_EQ(Bytes(), before);

    RunFreePos([&](QDialog& d) {
        Click(d, 1003);
        QTest::keyClick(&d, Qt::Key_Escape); // Escape cancels too
    });
    EXPECT_EQ(Bytes(), before);
}

// A block whose choices lie beyond the lists (a damaged file) keeps them
// through OK instead of taking a list position that was never shown.
TEST_F(FreePosDialog, ChoicesBeyondTheListsSurviveOk)
{
    block[68] = 200;
    block[69] = 20;
    RunFreePos([&](QDialog& d) {
        EXPECT_EQ(Control<QComboBox>(d, 1002)->currentIndex(), -1);
        Click(d, 1);
    });
    EXPECT_EQ(block[68], 200);
    EXPECT_EQ(block[69], 20);
    EXPECT_EQ(U32(block + 44), 4u);
}

// A list with values no arrow can reach (X -5, Y 99999, border 200) opens
// as it is and OK keeps them; the first press of an arrow brings the value
// it moves to the nearer bound.
TEST_F(FreePosDialog, OutOfRangeValuesSurviveOkAndTheFirstArrowPressClampsThem)
{
    dib::StoreU32(block + 52, static_cast<std::uint32_t>(-5));
    dib::StoreU32(block + 56, 99999);
    block[68] = 200;
    RunFreePos([&](QDialog& d) {
        EXPECT_EQ(Text(d, 1011), "-5");
        EXPECT_EQ(Text(d, 1012), "99999");
        Click(d, 1);
    });
    EXPECT_EQ(static_cast<std::int32_t>(U32(block + 52)), -5);
    EXPECT_EQ(U32(block + 56), 99999u);
    EXPECT_EQ(block[68], 200);

    RunFreePos([&](QDialog& d) {
        Click(d, 1009); // X + 1 from -5
        EXPECT_EQ(Text(d, 1011), "0");
        Click(d, 1007); // Y - 1 from 99999
        EXPECT_EQ(Text(d, 1012), "1200");
        Click(d, 1007);
        EXPECT_EQ(Text(d, 1012), "1199") << "then a step at a time";
        Click(d, 1);
    });
    EXPECT_EQ(U32(block + 52), 0u);
    EXPECT_EQ(U32(block + 56), 1199u);
}

// A fixed-size modal frame: no minimise or maximise button, and the window
// cannot grow past the screen with its controls moving about.
TEST_F(FreePosDialog, IsAFixedSizeFrameWithoutMinimiseOrMaximise)
{
    RunFreePos([&](QDialog& d) {
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_FALSE(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(d.windowFlags() & Qt::WindowCloseButtonHint);
        const QPoint preserve = Control<QCheckBox>(d, 1021)->pos();
        d.resize(d.width() * 2, d.height() * 2);
        QApplication::processEvents();
        EXPECT_EQ(d.size(), d.minimumSize());
        EXPECT_EQ(Control<QCheckBox>(d, 1021)->pos(), preserve) << "\"Preserve Proportions\" keeps its place";
        Click(d, 2);
    });
}

// Without its companion next to it the extender has no dialog: the block
// stays as it is, and nothing breaks.
TEST_F(FreePosDialog, AMissingCompanionLeavesTheBlock)
{
    ProgramDir bare;
    bare.Add("View_Expander", BinDir() / "View_Expander" / LibraryFile("Picshow"), "PicshowCopy.so");
    bare.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"), "ClockpaceCopy.so");
    CExtenderRegistry other;
    ASSERT_TRUE(other.LoadExtenders(bare.Folder()));
    ExtenderHandle copy = other.Extenders(ExtenderKind::Viewer).at(0);
    ASSERT_NE(copy, viewer);
    std::string before = Bytes();
    EXPECT_EQ(ext::RunCommand(copy, block, 4), block);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
