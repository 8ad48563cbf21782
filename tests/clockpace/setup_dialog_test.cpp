// SPDX-License-Identifier: GPL-3.0-or-later
// The "Time Scheduling" dialog as the list manager opens it: Setup of the
// real Clockpace, loaded by the real loader from the build tree, which finds
// its dialog companion there. Qt's offscreen platform, no X server.
#include "modal_dialog.h"
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/param_block.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vistrel;
using namespace vistrel::test;

class TimeSchedulingDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.LoadExtenders(BinDir().string() + "/"));
        scheduler = registry.FirstScheduler();
        ASSERT_TRUE(scheduler);
        block = static_cast<std::uint8_t*>(ext::GetDefParams(scheduler));
        ASSERT_TRUE(block);
    }
    void TearDown() override { gmem::Free(block); }

    std::string Bytes() const { return std::string(reinterpret_cast<const char*>(block), 64); }
    std::uint32_t Hours() const { return ReadU32(block + 56); }
    std::uint32_t Minutes() const { return ReadU32(block + 60); }

    void RunSetup(const std::function<void(QDialog&)>& drive)
    {
        bool shown = WithModalDialog("2001", drive, [&] { EXPECT_EQ(ext::Setup(scheduler, block), block); });
        EXPECT_TRUE(shown) << "the Time Scheduling dialog never showed";
    }

    static void Type(QDialog& d, int id, const QString& text) { Control<QLineEdit>(d, id)->setText(text); }

    RecordingSink sink;
    CExtenderRegistry registry;
    ExtenderHandle scheduler = nullptr;
    std::uint8_t* block = nullptr;
};

TEST_F(TimeSchedulingDialog, ShowsTheBlocksIntervalAndStoresTheNewOne)
{
    RunSetup([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Time Scheduling");
        EXPECT_EQ(Control<QLineEdit>(d, 2002)->text(), "0");
        EXPECT_EQ(Control<QLineEdit>(d, 2001)->text(), "30");
        for (int id : {2004, 2005})
            EXPECT_TRUE(Control<QWidget>(d, id)) << id;
        std::vector<QString> texts;
        for (QLabel* label : d.findChildren<QLabel*>())
            texts.push_back(label->text());
        for (const char* text : {"Change your wallpaper", "every:", "hours and ", "mins"})
            EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
        Type(d, 2002, "2");
        Type(d, 2001, "15");
        Click(d, 1);
    });
    EXPECT_EQ(Hours(), 2u);
    EXPECT_EQ(Minutes(), 15u);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(TimeSchedulingDialog, RefusesBadInputAndStaysOpenWithTheBlockUnchanged)
{
    std::string before = Bytes();
    RunSetup([&](QDialog& d) {
        struct {
            const char *hours, *minutes, *message;
        } cases[] = {
            {"24", "0", "Please enter an integer between 0 and 23."},
            {"1", "60", "Please enter an integer between 0 and 59."},
            {"-1", "5", "Please enter a positive integer."},
            {"1", "", "Please enter a positive integer."},
        };
        for (auto c : cases) {
            sink.messages.clear();
            Type(d, 2002, c.hours);
            Type(d, 2001, c.minutes);
            Click(d, 1);
            EXPECT_TRUE(d.isVisible()) << c.hours << " " << c.minutes;
            ASSERT_EQ(sink.messages.size(), 1u);
            EXPECT_EQ(sink.messages[0].first, c.message);
            EXPECT_EQ(Bytes(), before);
        }
        Click(d, 2);
    });
    EXPECT_EQ(Bytes(), before);
}

TEST_F(TimeSchedulingDialog, BothZeroGiveOneMinute)
{
    RunSetup([&](QDialog& d) {
        Type(d, 2002, "0");
        Type(d, 2001, "0");
        Click(d, 1);
    });
    EXPECT_EQ(Hours(), 0u);
    EXPECT_EQ(Minutes(), 1u);
}

TEST_F(TimeSchedulingDialog, CancelLeavesTheBlockByteForByte)
{
    WriteU32(block + 48, 0x12345678); // a last change, which the dialog never touches
    std::string before = Bytes();
    RunSetup([&](QDialog& d) {
        Type(d, 2002, "5");
        Type(d, 2001, "5");
        Click(d, 2);
    });
    EXPECT_EQ(Bytes(), before);
    RunSetup([&](QDialog& d) {
        Type(d, 2002, "7");
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(Bytes(), before);
}

TEST_F(TimeSchedulingDialog, TheUpDownControlsStepTheirFieldWithinItsRange)
{
    RunSetup([&](QDialog& d) {
        QWidget* minutesUpDown = Control<QWidget>(d, 2005);
        QToolButton* up = minutesUpDown->findChild<QToolButton*>("up");
        ASSERT_TRUE(up);
        EXPECT_TRUE(up->isVisible());
        up->click();
        EXPECT_EQ(Control<QLineEdit>(d, 2001)->text(), "31");
        Type(d, 2001, "59");
        up->click();
        EXPECT_EQ(Control<QLineEdit>(d, 2001)->text(), "59");
        QLineEdit* hours = Control<QLineEdit>(d, 2002);
        hours->setFocus();
        QTest::keyClick(hours, Qt::Key_Down); // already 0
        EXPECT_EQ(hours->text(), "0");
        QTest::keyClick(hours, Qt::Key_Up);
        QTest::keyClick(hours, Qt::Key_Up);
        EXPECT_EQ(hours->text(), "2");
        Click(d, 1);
    });
    EXPECT_EQ(Hours(), 2u);
    EXPECT_EQ(Minutes(), 59u);
}

// A block too small to hold the interval (a damaged list) gets no dialog:
// OK would write past its end.
TEST_F(TimeSchedulingDialog, ABlockTooSmallForTheIntervalOpensNoDialog)
{
    WriteU32(block, 56);
    std::string before = Bytes();
    bool shown = WithModalDialog(
        "2001", [](QDialog& d) { d.accept(); }, [&] { EXPECT_EQ(ext::Setup(scheduler, block), block); });
    EXPECT_FALSE(shown);
    EXPECT_EQ(Bytes(), before);
}

} // namespace
