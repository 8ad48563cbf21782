// SPDX-License-Identifier: GPL-3.0-or-later
// The option dialogs: Scheduler Options on stored and missing settings, and
// Extender Info with and without the extender's own icon.
#include "manager_fixture.h"

#include "app/resource_ids.h"
#include "dialogs/about_dialog.h"
#include "dialogs/extender_info_dialog.h"
#include "dialogs/integer_field.h"
#include "dialogs/recursive_insert_dialog.h"
#include "dialogs/scheduler_options_dialog.h"
#include "dialogs/set_priority_dialog.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/wallpaper/monitors.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;
using vistrel::test::FakesDir;
using vistrel::test::LibraryFile;

namespace {

struct Stored {
    std::optional<std::uint32_t> check, save, active;
    bool operator==(const Stored&) const = default;
};

Stored ReadStored()
{
    CRegistryKey key;
    Stored stored;
    if (!key.Open(kSchedulerKey))
        return stored;
    std::uint32_t value = 0;
    if (key.ReadNumber("ChkNewFileInterval", value))
        stored.check = value;
    if (key.ReadNumber("SaveFileInterval", value))
        stored.save = value;
    if (key.ReadNumber("Active", value))
        stored.active = value;
    return stored;
}

class DialogsTest : public ManagerTest {
protected:
    void SetUp() override
    {
        UseStandardExtenders();
        ASSERT_EQ(Start(), StartResult::Running);
    }
};

} // namespace

TEST_F(DialogsTest, SchedulerOptionsWithNothingStoredShowsTheDefaultsAndRefusesOutOfRange)
{
    ASSERT_FALSE(ReadStored().check);
    QString check, save;
    bool active = false;
    std::vector<bool> stayedOpen;
    WhenModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Scheduler Options");
        auto* checkEdit = dialog->findChild<QLineEdit*>("1016");
        auto* saveEdit = dialog->findChild<QLineEdit*>("1017");
        auto* box = dialog->findChild<QCheckBox*>("1015");
        auto* ok = dialog->findChild<QAbstractButton*>("1");
        ASSERT_TRUE(checkEdit && saveEdit && box && ok);
        EXPECT_NE(dialog->findChild<QWidget*>("1018"), nullptr);
        EXPECT_NE(dialog->findChild<QWidget*>("1019"), nullptr);
        check = checkEdit->text();
        save = saveEdit->text();
        active = box->isChecked();
        for (auto [c, s] : {std::pair{"0", "60"}, {"11", "60"}, {"-1", "60"}, {"2", "9"}, {"2", "121"}}) {
            checkEdit->setText(c);
            saveEdit->setText(s);
            ok->click();
            stayedOpen.push_back(dialog->isVisible());
        }
        checkEdit->setText("10");
        saveEdit->setText("120");
        box->setChecked(false);
        ok->click();
    });
    Frame().RunCommand(ids::kCmdSchedulerOptions);
    EXPECT_EQ(check, "2");
    EXPECT_EQ(save, "60");
    EXPECT_TRUE(active);
    EXPECT_EQ(stayedOpen, std::vector<bool>(5, true));
    EXPECT_EQ(sink.texts,
              (std::vector<std::string>{
                  "Please enter an integer between 1 and 10.", "Please enter an integer between 1 and 10.",
                  "Please enter an integer between 1 and 10.", // -1, compared as unsigned
                  "Please enter an integer between 10 and 120.", "Please enter an integer between 10 and 120."}));
    EXPECT_EQ(ReadStored(), (Stored{10, 120, 0}));
}

TEST_F(DialogsTest, SchedulerOptionsCancelWritesWhatItWasOpenedWith)
{
    WhenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("1016")->setText("7");
        dialog->findChild<QAbstractButton*>("2")->click();
    });
    RunSchedulerOptions(&Frame());
    EXPECT_EQ(ReadStored(), (Stored{2, 60, 1})) << "a missing key is created with the defaults";

    {
        CRegistryKey key;
        ASSERT_TRUE(key.Open(kSchedulerKey));
        key.DeleteValue("SaveFileInterval");
        key.WriteNumber("ChkNewFileInterval", 5);
    }
    QString save;
    WhenModal([&](QWidget* dialog) {
        save = dialog->findChild<QLineEdit*>("1017")->text();
        dialog->findChild<QAbstractButton*>("2")->click();
    });
    RunSchedulerOptions(&Frame());
    EXPECT_EQ(save, "0") << "a missing value shows as 0";
    EXPECT_EQ(ReadStored(), (Stored{5, 0, 1}));
}

TEST_F(DialogsTest, SchedulerOptionsChoosesWhatTheMonitorsShow)
{
    // Nothing stored: "same". OK with "span" writes it; Cancel writes nothing.
    QStringList texts;
    WhenModal([&](QWidget* dialog) {
        auto* group = dialog->findChild<QWidget*>("1021");
        ASSERT_TRUE(group);
        for (const char* id : {"1022", "1023", "1024"}) {
            auto* radio = group->findChild<QRadioButton*>(id);
            ASSERT_TRUE(radio) << id;
            texts << radio->text() + (radio->isChecked() ? " *" : "");
        }
        group->findChild<QRadioButton*>("1024")->click();
        dialog->findChild<QAbstractButton*>("1")->click();
    });
    RunSchedulerOptions(&Frame());
    EXPECT_EQ(texts, (QStringList{"The same picture, fitted to each monitor *", "A picture of its own on each monitor",
                                  "One picture across all monitors"}));
    EXPECT_EQ(wallpaper::ReadMonitorChoice(), wallpaper::MonitorChoice::Span);
    EXPECT_EQ(ReadStored(), (Stored{2, 60, 1})) << "the other values as they were";

    bool spanChecked = false;
    WhenModal([&](QWidget* dialog) {
        spanChecked = dialog->findChild<QRadioButton*>("1024")->isChecked();
        dialog->findChild<QRadioButton*>("1023")->click();
        dialog->findChild<QAbstractButton*>("2")->click();
    });
    RunSchedulerOptions(&Frame());
    EXPECT_TRUE(spanChecked);
    EXPECT_EQ(wallpaper::ReadMonitorChoice(), wallpaper::MonitorChoice::Span) << "Cancel changes nothing";
}

TEST(IntegerField, ArrowsStepTheIntegerAndParsingTakesBlanksAndSignsOnly)
{
    QLineEdit edit("9");
    UpDownControl updown(&edit, 1012);
    updown.Step(+1);
    EXPECT_EQ(edit.text(), "10");
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "8");
    EXPECT_EQ(ParseDialogInteger(" -12 "), -12);
    EXPECT_EQ(ParseDialogInteger("+3"), 3);
    for (const char* bad : {"", " ", "-", "1.5", "12a", "0x10", "99999999999"})
        EXPECT_FALSE(ParseDialogInteger(bad)) << bad;
}

TEST_F(DialogsTest, ExtenderInfoShowsTheExtendersTextsAndItsOwnIcon)
{
    CExtenderRegistry registry;
    vistrel::test::ProgramDir dir;
    dir.AddStandardFakes();
    dir.Add("Read_Expander", FakesDir() / LibraryFile("FakeIconReader"));
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    ExtenderHandle withIcon = registry.Extenders(ExtenderKind::Reader).at(0); // FakeIconReader
    ExtenderHandle without = registry.Extenders(ExtenderKind::Reader).at(1);  // FakeReader

    CExtenderInfoDlg info(withIcon);
    EXPECT_EQ(info.windowTitle(), "Extender Info");
    EXPECT_EQ(info.findChild<QLineEdit*>("1006")->text(), "Iconread");
    EXPECT_EQ(info.findChild<QLineEdit*>("1007")->text(), "2.0");
    EXPECT_EQ(info.findChild<QPlainTextEdit*>("1000")->toPlainText(), "Fake with pictures\nsecond line");
    QPixmap icon = info.findChild<QLabel*>("1008")->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.toImage().pixelColor(16, 16), QColor(0x00, 0xA0, 0x00));
    EXPECT_EQ(info.findChild<QAbstractButton*>("1")->text(), "&OK");

    CExtenderInfoDlg plain(without);
    EXPECT_TRUE(plain.findChild<QLabel*>("1008")->pixmap().isNull()) << "no icon 100: no picture";
    EXPECT_EQ(plain.findChild<QLineEdit*>("1006")->text(), "Fakeread");
    EXPECT_EQ(plain.findChild<QPlainTextEdit*>("1000")->toPlainText(), "Fake reader\n\nfor tests");
}

// Every dialog is a fixed-size modal frame: a close box, no minimise or
// maximise button, and a size a drag at its border cannot change.
TEST_F(DialogsTest, EveryDialogIsAFixedSizeFrameWithoutMinimiseOrMaximise)
{
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(programDir.Folder()));
    std::vector<std::unique_ptr<QWidget>> dialogs;
    dialogs.push_back(std::make_unique<CSchedulerOptionsDlg>(&Frame()));
    dialogs.push_back(std::make_unique<CSetPriorityDlg>(&Frame()));
    dialogs.push_back(std::make_unique<CExtenderInfoDlg>(registry.FirstScheduler(), &Frame()));
    dialogs.push_back(std::make_unique<CAboutDlg>("Vistrel", "parts", nullptr, &Frame()));
    dialogs.push_back(std::make_unique<CRecursiveInsertDlg>(nullptr, nullptr, &Frame()));
    for (auto& dialog : dialogs) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        dialog->show();
        QApplication::processEvents();
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
        EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(dialog->parentWidget(), &Frame()) << "still owned by the window";
        const QSize size = dialog->size();
        dialog->resize(size * 2);
        QApplication::processEvents();
        EXPECT_EQ(dialog->size(), size);
        dialog->hide();
    }
}
