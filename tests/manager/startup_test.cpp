// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up in its order, the command line, the last list, the scheduler's
// start, the context menu the extenders contribute to, the About box, the
// web pages, and a second start that hands its list to the running copy.
#include "manager_fixture.h"

#include "app/resource_ids.h"
#include "list/image_list_view.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/platform/process.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;
using vistrel::test::BinDir;
using vistrel::test::FakesDir;
using vistrel::test::LibraryFile;

namespace {

// A menu as text: items by their text, "-" for separators, popups as
// "name>" followed by their items and "<".
std::vector<std::string> MenuOutline(const QMenu& menu)
{
    std::vector<std::string> lines;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            lines.push_back("-");
        } else if (action->menu()) {
            lines.push_back(action->text().toStdString() + ">");
            for (const std::string& inner : MenuOutline(*action->menu()))
                lines.push_back(inner);
            lines.push_back("<");
        } else {
            lines.push_back(action->text().toStdString());
        }
    }
    return lines;
}

void SetRecentList(const std::string& path)
{
    RecentFileList recent;
    recent.Add(path);
    recent.Save();
}

} // namespace

TEST_F(ManagerTest, FirstStartShowsAnEmptyListAndStartsTheScheduler)
{
    UseStandardExtenders();
    ASSERT_EQ(Start(), StartResult::Running);
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(List().GetCount(), 0);
    EXPECT_EQ(Frame().windowTitle(), "Untitled - Vistrel");
    EXPECT_EQ(started, std::vector<std::string>{programDir.Folder() + "Vistrel_Scheduler"});
    EXPECT_EQ(Frame().ScheduleText()->text(), "Change Wallpaper every 30 mins") << "the schedule's description";
    EXPECT_TRUE(Frame().acceptDrops());
    EXPECT_TRUE(sink.texts.empty());
}

TEST_F(ManagerTest, StartWithoutArgumentsOpensTheMostRecentList)
{
    UseStandardExtenders();
    std::string list = MakeList("last.vist", {"/p/a.bmp", "/p/b.bmp"});
    SetRecentList(list);
    ASSERT_EQ(Start(), StartResult::Running);
    EXPECT_EQ(Doc().PathName(), list);
    EXPECT_EQ(Column(kColFile), (std::vector<std::string>{"/p/a.bmp", "/p/b.bmp"}));
    EXPECT_EQ(Frame().windowTitle(), "last.vist - Vistrel");
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(started.size(), 1u) << "the scheduler starts with every start";
}

TEST_F(ManagerTest, AMostRecentListThatIsGoneLeavesANewListAndAMessage)
{
    UseStandardExtenders();
    SetRecentList(home.File("gone.vist"));
    ASSERT_EQ(Start(), StartResult::Running);
    EXPECT_EQ(List().GetCount(), 0);
    EXPECT_TRUE(Doc().PathName().empty());
    EXPECT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(ManagerTest, AListOnTheCommandLineOpensInsteadOfTheMostRecentOne)
{
    UseStandardExtenders();
    SetRecentList(MakeList("last.vist", {"/p/a.bmp"}));
    std::string named = MakeList("named.vist", {"/q/x.bmp", "/q/y.bmp", "/q/z.bmp"});
    ASSERT_EQ(Start({QString::fromStdString(named)}), StartResult::Running);
    EXPECT_EQ(Doc().PathName(), named);
    EXPECT_EQ(List().GetCount(), 3);
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(ManagerTest, ADamagedListOnTheCommandLineEndsTheStart)
{
    UseStandardExtenders();
    std::string list = MakeList("cut.vist", {"/p/a.bmp"});
    std::string bytes = vistrel::test::ReadFile(list);
    vistrel::test::WriteFile(list, bytes.substr(0, bytes.size() - 10));
    EXPECT_EQ(Start({QString::fromStdString(list)}), StartResult::Failed);
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Unexpected file format."});
    EXPECT_TRUE(started.empty());
}

TEST_F(ManagerTest, NoSchedulerExtenderEndsTheStartBeforeAnyWindow)
{
    AddExtender("Read_Expander", FakesDir() / LibraryFile("FakeReader"));
    EXPECT_EQ(Start(), StartResult::Failed);
    EXPECT_EQ(app->MainFrame(), nullptr);
    EXPECT_EQ(sink.texts, std::vector<std::string>{"No Scheduler Extender Found. Appplication can't run."});
}

TEST_F(ManagerTest, TheRecentListIsWrittenAtExitOnly)
{
    UseStandardExtenders();
    std::string first = MakeList("first.vist", {"/p/a.bmp"});
    std::string second = MakeList("second.vist", {"/p/b.bmp"});
    SetRecentList(first);
    ASSERT_EQ(Start(), StartResult::Running);
    Frame().OpenDocumentFile(QString::fromStdString(second));
    EXPECT_EQ(ReadCurrentList(), first) << "the scheduler moves only once the list manager has exited";
    app.reset();
    EXPECT_EQ(ReadCurrentList(), second);
}

TEST_F(ManagerTest, TheShippedViewersFiveCommandsGetIdsFrom30000)
{
    programDir.Add("Read_Expander", BinDir() / "Read_Expander" / LibraryFile("Bitload"));
    programDir.Add("View_Expander", BinDir() / "View_Expander" / LibraryFile("Picshow"));
    programDir.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
    ASSERT_EQ(Start(), StartResult::Running);

    const auto& records = app->ExtenderCommands();
    ASSERT_EQ(records.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(records[i].id, 30000 + i);
        EXPECT_EQ(records[i].index, i);
        EXPECT_EQ(records[i].returnType, "image");
        EXPECT_EQ(records[i].shortName, "Picshow");
    }
    QMenu* menu = app->ContextMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuOutline(*menu),
              (std::vector<std::string>{"-", "Tile", "Center", "Fit", "Proportioned Fit", "Free Pos...", "-",
                                        "Change Now !", "-", "&Advanced...>", "Select All", "-", "Delete Selected", "-",
                                        "Set Priority...", "Reset Shown flags", "Reset Totals", "<"}));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(menu->actions().at(1 + i)->objectName(), QString::number(30000 + i));
    EXPECT_EQ(menu->actions().at(7)->objectName(), "32009");
}

TEST_F(ManagerTest, MiddleCommandsComeFirstAndIdsRunOnAcrossExtenders)
{
    UseStandardExtenders();
    AddExtender("Middle_Expander", FakesDir() / LibraryFile("FakeMiddle"));
    UseIconExtenders();
    ASSERT_EQ(Start(), StartResult::Running);
    std::vector<std::string> outline = MenuOutline(*app->ContextMenu());
    outline.resize(6);
    // Viewers in load order: FakeIconViewer before FakeViewer.
    EXPECT_EQ(outline, (std::vector<std::string>{"Remove", "-", "Red", "Blue", "One", "Two"}));
    std::vector<int> ids;
    for (const auto& record : app->ExtenderCommands())
        ids.push_back(record.id);
    EXPECT_EQ(ids, (std::vector<int>{30000, 30001, 30002, 30003, 30004}));
    EXPECT_EQ(app->ExtenderCommands()[3].index, 0) << "indexes count within each extender";
}

TEST(MenuMerge, PopupsJoinTheirNamesakeAndNewOnesGoBeforeHelp)
{
    QMenu destination;
    destination.addAction("Plain");
    QMenu* existing = destination.addMenu("&Tools");
    existing->addAction("Old");
    destination.addMenu("Help");
    QMenu source;
    source.addAction("Added");
    source.addMenu("T&ools")->addAction("New");
    source.addMenu("Fresh")->addAction("Inside");
    MergeMenu(destination, source, true);
    EXPECT_EQ(MenuOutline(destination), (std::vector<std::string>{"Plain", "&Tools>", "Old", "-", "New", "<", "Fresh>",
                                                                  "Inside", "<", "Help>", "<", "Added"}));
}

TEST_F(ManagerTest, TheAboutBoxNamesBothProgramsAndEveryExtenderInLoadOrder)
{
    UseStandardExtenders();
    AddExtender("Middle_Expander", FakesDir() / LibraryFile("FakeMiddle"));
    ASSERT_EQ(Start(), StartResult::Running);
    QString program = app->AboutProgramText();
    EXPECT_TRUE(program.startsWith("Vistrel\n" VISTREL_PRODUCT_VERSION "\n\nbuild of ")) << program.toStdString();
    EXPECT_EQ(app->AboutPartsText(), "Vistrel " VISTREL_PRODUCT_VERSION "\n"
                                     " \n" // no scheduler program in this program directory
                                     "\n"
                                     "Fakeread 1.0\n"
                                     "Fakemiddle \n"
                                     "Fakeview 1.0\n"
                                     "Clockpace 5.1.0.43 [Apr 25 2000]\n");

    bool shown = false;
    WhenModal([&](QWidget* dialog) {
        shown = dialog->objectName() == "100" && dialog->windowTitle() == "About Vistrel";
        auto* homePage = dialog->findChild<QAbstractButton*>("1020");
        ASSERT_NE(homePage, nullptr);
        homePage->click();
        static_cast<QDialog*>(dialog)->accept();
    });
    Frame().RunCommand(ids::kCmdAppAbout);
    EXPECT_TRUE(shown);
    ASSERT_EQ(opened.size(), 1u) << "the home page button opens the web site";
    EXPECT_EQ(opened[0], app->PageAddress(ids::kCmdWebSite));
}

TEST_F(ManagerTest, WebCommandsOpenTheManualAndFreePhotosAndHelpAsksFirst)
{
    UseStandardExtenders();
    ASSERT_EQ(Start(), StartResult::Running);
    Frame().RunCommand(ids::kCmdWebSite);
    Frame().RunCommand(ids::kCmdFreePhotos);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].isLocalFile()) << "the installed (or source) manual as a page";
    EXPECT_TRUE(vistrel::test::ReadFile(opened[0].toLocalFile().toStdString()).find("Vistrel") != std::string::npos);
    EXPECT_EQ(opened[1], QUrl("https://commons.wikimedia.org/wiki/Commons:Featured_pictures"));

    sink.answers = {VISTREL_IDNO, VISTREL_IDYES};
    Frame().RunCommand(ids::kCmdHelp);
    EXPECT_EQ(opened.size(), 2u) << "No opens nothing";
    Frame().RunCommand(ids::kCmdHelpTopics);
    EXPECT_EQ(opened.size(), 3u);
    // Without a web site the help is the manual on this machine, and the
    // question says so rather than speaking of an online help.
    EXPECT_EQ(sink.texts.at(0), "The help is Vistrel's manual, installed with it; it opens in your web browser.\n"
                                "Open it now?");
    EXPECT_TRUE(opened[2].isLocalFile());
    EXPECT_EQ(opened[2], opened[0]) << "the same manual as the web site command";
}

#ifndef _WIN32
TEST_F(ManagerTest, ASecondStartHandsItsListToTheRunningCopyAndEnds)
{
    UseStandardExtenders();
    std::string list = MakeList("handed.vist", {"/h/a.bmp", "/h/b.bmp"});
    ASSERT_EQ(Start(), StartResult::Running);
    Frame().showMinimized();
    std::string program = (BinDir() / "Vistrel").string();
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << program << " is not built";
    // The real program, as a user's second start: it must end at once.
    EXPECT_EQ(platform::RunProgram("timeout", {"20", program, list}), 0);
    ASSERT_TRUE(Eventually([&] { return Doc().PathName() == list; }));
    EXPECT_EQ(List().GetCount(), 2);
    EXPECT_FALSE(Frame().isMinimized()) << "the running window comes to the front";
    EXPECT_EQ(started.size(), 1u) << "the second start started nothing";

    // A start without a list only raises the window.
    EXPECT_EQ(platform::RunProgram("timeout", {"20", program}), 0);
    QApplication::processEvents();
    EXPECT_EQ(Doc().PathName(), list);
}
#endif
