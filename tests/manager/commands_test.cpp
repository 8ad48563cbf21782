// SPDX-License-Identifier: GPL-3.0-or-later
// The list commands of the main frame: their selection rules, what they
// write, the update rules, the preview delay and dropped folders.
#include "manager_fixture.h"

#include "app/resource_ids.h"
#include "list/image_list_view.h"
#include "preview/preview_view.h"
#include "tree/left_view.h"
#include "vistrel/core/param_block.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <filesystem>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

std::vector<std::string> Paths(const std::string& folder, int count, const std::string& ending = ".bmp")
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(folder + "/image" + std::to_string(i) + ending);
    return paths;
}

class CommandsTest : public ManagerTest {
protected:
    void OpenTen()
    {
        UseStandardExtenders();
        ASSERT_EQ(Start({QString::fromStdString(MakeList("ten.vist", Paths("/p", 10)))}), StartResult::Running);
        ASSERT_EQ(List().GetCount(), 10);
    }

    // The extender value (icon number) of each row's last block.
    std::vector<std::uint32_t> ViewerValues()
    {
        std::vector<std::uint32_t> values;
        for (int row = 0; row < List().GetCount(); ++row) {
            auto blocks = ChainBlocks(List().GetChain(row), List().GetChainBytes(row));
            values.push_back(blocks.empty() ? 0 : ReadU32(blocks.back() + 4));
        }
        return values;
    }
};

} // namespace

TEST_F(CommandsTest, DeleteSelectedLeavesTheRowAfterTheFirstDeletedOneSelected)
{
    OpenTen();
    Select({2, 5, 7});
    Frame().RunCommand(ids::kCmdDeleteSelected);
    EXPECT_EQ(Column(kColFile),
              (std::vector<std::string>{"/p/image0.bmp", "/p/image1.bmp", "/p/image3.bmp", "/p/image4.bmp",
                                        "/p/image6.bmp", "/p/image8.bmp", "/p/image9.bmp"}));
    EXPECT_EQ(Frame().ListView()->SelectedRows(), std::vector<int>{2}) << "the former row 3";
    EXPECT_EQ(Frame().ListView()->currentIndex().row(), 2);
    EXPECT_TRUE(Doc().IsModified());

    Select({5, 6});
    Frame().RunCommand(ids::kCmdDeleteSelected);
    EXPECT_EQ(List().GetCount(), 5);
    EXPECT_EQ(Frame().ListView()->SelectedRows(), std::vector<int>{4}) << "past the end: the new last row";

    Frame().RunCommand(ids::kCmdSelectAll);
    EXPECT_EQ(Frame().ListView()->SelectedRows().size(), 5u);
    Frame().RunCommand(ids::kCmdDeleteSelected);
    EXPECT_EQ(List().GetCount(), 0);
    EXPECT_TRUE(Frame().ListView()->SelectedRows().empty());
}

TEST_F(CommandsTest, DeletingManyRowsAtOnceKeepsTheRuleAndTheViewInStep)
{
    UseStandardExtenders();
    ASSERT_EQ(Start({QString::fromStdString(MakeList("many.vist", Paths("/m", 300)))}), StartResult::Running);
    std::vector<int> odd;
    for (int row = 1; row < 300; row += 2)
        odd.push_back(row);
    Select(odd);
    Frame().RunCommand(ids::kCmdDeleteSelected);
    ASSERT_EQ(List().GetCount(), 150);
    EXPECT_EQ(Frame().ListView()->model()->rowCount(), 150);
    EXPECT_EQ(List().GetText(1, kColFile), "/m/image2.bmp");
    EXPECT_EQ(Frame().ListView()->SelectedRows(), std::vector<int>{1});
}

TEST_F(CommandsTest, TheDeleteKeyDeletesTheSelectionAndArmsThePreview)
{
    OpenTen();
    Select({0});
    Frame().ListView()->setFocus();
    QTest::keyClick(Frame().ListView(), Qt::Key_Delete);
    EXPECT_EQ(List().GetCount(), 9);
    EXPECT_TRUE(Frame().PreviewTimer().isActive());
    EXPECT_EQ(app->Preview()->Source(), PreviewSource::List);
}

TEST_F(CommandsTest, SetPriorityOpensWithTheFirstSelectedRowsValueAndWritesOnlyOnOk)
{
    OpenTen();
    List().SetText(2, kColPriority, "5");
    List().SetText(5, kColPriority, "2");
    List().SetText(7, kColPriority, "7");
    Doc().SetModifiedFlag(false);
    Select({5, 2, 7}); // row 5 current: the first selected row is still the topmost

    QString shown;
    WhenModal([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("1011");
        ASSERT_NE(edit, nullptr);
        shown = edit->text();
        edit->setText("3");
        dialog->findChild<QAbstractButton*>("2")->click(); // Cancel
    });
    Frame().RunCommand(ids::kCmdSetPriority);
    EXPECT_EQ(shown, "5") << "the first selected row";
    EXPECT_EQ(List().GetText(2, kColPriority), "5");
    EXPECT_EQ(List().GetText(5, kColPriority), "2");
    EXPECT_EQ(List().GetText(7, kColPriority), "7");
    EXPECT_FALSE(Doc().IsModified());

    WhenModal([&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("1011")->setText("3");
        dialog->findChild<QAbstractButton*>("1")->click(); // OK
    });
    Frame().RunCommand(ids::kCmdSetPriority);
    for (int row : {2, 5, 7})
        EXPECT_EQ(List().GetText(row, kColPriority), "3") << row;
    EXPECT_EQ(List().GetText(3, kColPriority), "50");
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(CommandsTest, SetPriorityRefusesValuesOutsideOneToHundred)
{
    OpenTen();
    Select({0});
    std::vector<bool> stayedOpen;
    WhenModal([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("1011");
        auto* ok = dialog->findChild<QAbstractButton*>("1");
        for (const char* text : {"0", "101", "x1", ""}) {
            edit->setText(text);
            ok->click();
            stayedOpen.push_back(dialog->isVisible());
        }
        edit->setText(" 100 ");
        ok->click();
    });
    Frame().RunCommand(ids::kCmdSetPriority);
    EXPECT_EQ(stayedOpen, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(sink.texts, (std::vector<std::string>{"Please enter an integer between 1 and 100.",
                                                    "Please enter an integer between 1 and 100.",
                                                    "Please enter an integer.", "Please enter an integer."}));
    EXPECT_EQ(List().GetText(0, kColPriority), "100");
}

TEST_F(CommandsTest, CountersResetOnlyForSelectedRowsAndNeedASelection)
{
    OpenTen();
    for (int row = 0; row < 10; ++row) {
        List().SetText(row, kColTotal, "4");
        List().SetText(row, kColShown, "9");
    }
    Frame().UpdateCommandUI();
    QAction* inMenu = app->ContextMenu()->findChild<QAction*>("32011", Qt::FindChildrenRecursively);
    ASSERT_NE(inMenu, nullptr);
    EXPECT_FALSE(inMenu->isEnabled()) << "disabled without a selection";
    Select({1, 3});
    Frame().UpdateCommandUI();
    EXPECT_TRUE(inMenu->isEnabled());
    Frame().RunCommand(ids::kCmdResetTotals);
    Select({3, 4});
    Frame().RunCommand(ids::kCmdResetShown);
    EXPECT_EQ(Column(kColTotal), (std::vector<std::string>{"4", "0", "4", "0", "4", "4", "4", "4", "4", "4"}));
    EXPECT_EQ(Column(kColShown), (std::vector<std::string>{"9", "9", "9", "0", "0", "9", "9", "9", "9", "9"}));
}

TEST_F(CommandsTest, ChangeNowShowsTheFirstSelectedEntry)
{
    OpenTen();
    Frame().RunCommand(ids::kCmdChangeNow);
    EXPECT_FALSE(Doc().IsModified()) << "nothing selected: nothing happens";
    Select({6, 2});
    Frame().RunCommand(ids::kCmdChangeNow);
    EXPECT_EQ(List().GetText(2, kColTotal), "1") << "the topmost selected row was shown";
    EXPECT_EQ(List().GetText(6, kColTotal), "0");
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(sink.texts.empty());
}

TEST_F(CommandsTest, AChangeNowThatFailsSaysWhichFileAndWhy)
{
    UseStandardExtenders();
    const std::string folder = home.File("folder.bmp");
    std::filesystem::create_directories(folder);
    ASSERT_EQ(Start({QString::fromStdString(MakeList("one.vist", {folder}))}), StartResult::Running);
    Select({0});
    Frame().RunCommand(ids::kCmdChangeNow);
    EXPECT_EQ(sink.texts, std::vector<std::string>{"The wallpaper was not changed: " + folder +
                                                   " could not be read: it is a folder"});
    EXPECT_EQ(List().GetText(0, kColTotal), "0");
}

TEST_F(CommandsTest, TheRandomToggleFlipsTheFlagAndItsCheckMark)
{
    OpenTen();
    QAction* toggle = Frame().Action(ids::kCmdToggleRandom);
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->isChecked());
    toggle->trigger();
    EXPECT_EQ(List().GetRandom(), 1);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(Doc().IsModified());
    List().SetRandom(7); // any non-zero value means random
    Frame().RunCommand(ids::kCmdToggleRandom);
    EXPECT_EQ(List().GetRandom(), 0);
    EXPECT_FALSE(toggle->isChecked());
}

TEST_F(CommandsTest, ChangeSchedulingMarksTheListModifiedEvenWhenNothingChanged)
{
    OpenTen();
    ASSERT_FALSE(Doc().IsModified());
    // Clockpace without a dialog to show leaves the block as it was, as a
    // cancelled dialog does.
    std::string before(reinterpret_cast<const char*>(List().GetSchedulerBlock()), List().GetSchedulerBlockBytes());
    Frame().findChild<QAbstractButton*>("1009")->click();
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(List().GetSchedulerBlock()), List().GetSchedulerBlockBytes()),
              before);
    EXPECT_EQ(Frame().ScheduleText()->text(), "Change Wallpaper every 30 mins");
    EXPECT_EQ(Frame().findChild<QAbstractButton*>("1009")->text(), "&Change Scheduling... -->");
}

TEST_F(CommandsTest, AnExtenderCommandChangesOnlyTheRowsOfItsType)
{
    UseStandardExtenders();
    UseIconExtenders();
    std::vector<std::string> files{"/x/a.bmp", "/x/b.pic", "/x/c.bmp", "/x/d.pic", "/x/e.pic"};
    ASSERT_EQ(Start({QString::fromStdString(MakeList("mixed.vist", files))}), StartResult::Running);
    ASSERT_EQ(Column(kColType), (std::vector<std::string>{"image", "picture", "image", "picture", "picture"}));
    std::vector<std::string> chainsBefore;
    for (int row = 0; row < 5; ++row)
        chainsBefore.emplace_back(static_cast<const char*>(List().GetChain(row)), List().GetChainBytes(row));

    Select({0, 1, 2, 3}); // not row 4
    // "Blue", the icon viewer's second command.
    const ExtenderCommandRecord* blue = nullptr;
    for (const auto& record : app->ExtenderCommands())
        if (record.shortName == "Iconview" && record.index == 1)
            blue = &record;
    ASSERT_NE(blue, nullptr);
    Frame().RunCommand(blue->id);
    EXPECT_EQ(ViewerValues(), (std::vector<std::uint32_t>{100, 302, 100, 302, 300}));
    for (int row : {0, 2, 4})
        EXPECT_EQ(std::string(static_cast<const char*>(List().GetChain(row)), List().GetChainBytes(row)),
                  chainsBefore[row])
            << "row " << row << " is not of the viewer's type or not selected";
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(CommandsTest, AutoPreviewLoadsOnceTwoSecondsAfterTheLastArming)
{
    OpenTen();
    std::vector<int> loads;
    QObject::connect(app->Preview(), &CVistrelPreviewView::loadRequested,
                     [&](PreviewSource, int row) { loads.push_back(row); });
    QTimer& timer = Frame().PreviewTimer();
    EXPECT_EQ(timer.objectName(), "32030");
    EXPECT_TRUE(timer.isSingleShot());
    Select({4});
    QTest::mouseClick(Frame().ListView()->viewport(), Qt::LeftButton, {},
                      Frame().ListView()->visualRect(Frame().ListView()->model()->index(4, 0)).center());
    ASSERT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 2000);
    QTest::qWait(300);
    ASSERT_LT(timer.remainingTime(), 1850);
    Frame().ArmPreviewFromList();
    EXPECT_GE(timer.remainingTime(), 1900) << "a second arming restarts the delay";
    QMetaObject::invokeMethod(&timer, "timeout");
    EXPECT_EQ(loads, std::vector<int>{4});

    Frame().RunCommand(ids::kCmdAutoPreview);
    EXPECT_FALSE(Frame().Action(ids::kCmdAutoPreview)->isChecked());
    Frame().ArmPreviewFromList();
    QMetaObject::invokeMethod(&timer, "timeout");
    EXPECT_EQ(loads.size(), 1u) << "Auto Preview off: nothing loads";
}

TEST_F(CommandsTest, DroppedFoldersAndFilesAreInsertedWithoutDuplicates)
{
    UseStandardExtenders();
    ASSERT_EQ(Start(), StartResult::Running);
    std::filesystem::create_directories(home.Path() / "drop" / "sub");
    std::filesystem::create_directories(home.Path() / "drop" / ".hidden");
    for (const char* name :
         {"drop/b.bmp", "drop/a.BMP", "drop/notes.txt", "drop/sub/c.bitmap", "drop/.hidden/h.bmp", "loose.bmp"})
        vistrel::test::WriteFile(home.Path() / name, "x");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(home.File("drop"))),
                  QUrl::fromLocalFile(QString::fromStdString(home.File("loose.bmp"))),
                  QUrl::fromLocalFile(QString::fromStdString(home.File("drop/b.bmp")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&Frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&Frame(), &drop);
    EXPECT_EQ(Column(kColFile), (std::vector<std::string>{home.File("drop/a.BMP"), home.File("drop/b.bmp"),
                                                          home.File("drop/sub/c.bitmap"), home.File("loose.bmp")}));
    EXPECT_EQ(Frame().ListView()->model()->rowCount(), 4);
    EXPECT_TRUE(Doc().IsModified());
}

// A folder added to a long list: the first new row comes into view, the
// status bar says how many pictures came from where (the counting window
// may be gone before it can be read), and the window has the focus back,
// in the list, so that its keys work at once.
TEST_F(CommandsTest, AFolderInsertShowsItsFirstRowSaysHowManyAndGivesTheFocusBack)
{
    UseStandardExtenders();
    ASSERT_EQ(Start({QString::fromStdString(MakeList("long.vist", Paths("/p", 500)))}), StartResult::Running);
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    CVistrelView* view = Frame().ListView();
    ASSERT_TRUE(Eventually([&] { return Frame().isActiveWindow(); }));
    Frame().TreeView()->setFocus();
    std::filesystem::create_directories(home.Path() / "more");
    for (const char* name : {"more/x.bmp", "more/y.bmp", "more/z.bmp"})
        vistrel::test::WriteFile(home.Path() / name, "x");
    const QRect viewport = view->viewport()->rect();

    const std::string folder = home.File("more");
    Frame().RunRecursiveInsert(folder, true);
    ASSERT_EQ(List().GetCount(), 503);
    EXPECT_TRUE(viewport.intersects(view->visualRect(view->model()->index(500, 0)))) << "the first added row shows";
    EXPECT_EQ(view->currentIndex().row(), 500);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), QString::fromStdString("3 pictures added from " + folder));
    EXPECT_TRUE(Eventually([&] { return Frame().isActiveWindow() && view->hasFocus(); }));

    Frame().RunRecursiveInsert(folder, true);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), QString::fromStdString("No pictures added from " + folder));
    ASSERT_TRUE(Eventually([&] { return Frame().isActiveWindow() && view->hasFocus(); }));

    // Ctrl+N is taken at once: the changed list asks to be saved.
    prompts.saveAnswers = {SaveAnswer::Cancel};
    QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(prompts.askedToSave.size(), 1u);
    EXPECT_EQ(List().GetCount(), 503);
}
