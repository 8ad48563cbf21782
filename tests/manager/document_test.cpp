// SPDX-License-Identifier: GPL-3.0-or-later
// The document's rules for the user's files: asking to save a changed list,
// never writing a list that failed to load over its file, atomic saves, and
// a list file the scheduler wrote since it was read.
#include "manager_fixture.h"

#include "app/resource_ids.h"
#include "vistrel/core/list_file.h"

#include <QApplication>
#include <thread>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;
using vistrel::test::ReadFile;
using vistrel::test::WriteFile;

namespace {

class DocumentTest : public ManagerTest {
protected:
    void SetUp() override
    {
        UseStandardExtenders();
        list = MakeList("list.vist", {"/d/a.bmp", "/d/b.bmp", "/d/c.bmp"});
    }

    // What the scheduler does when it saves its counters: it rewrites the
    // file with other texts, so its last-write time moves on.
    void SchedulerSaves(const std::string& total)
    {
        CExtenderRegistry registry;
        registry.LoadExtenders(programDir.Folder());
        CWallpaperList other(&registry);
        std::string detail, error;
        ASSERT_EQ(ReadListFile(list, other, detail), ListLoadStatus::Ok);
        other.SetText(0, kColTotal, total);
        // Far enough apart for any file system's clock.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(WriteListFile(list, other, error)) << error;
        std::filesystem::last_write_time(list, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(2));
    }

    std::string list;
};

} // namespace

TEST_F(DocumentTest, NewOpenAndExitAskToSaveAChangedList)
{
    ASSERT_EQ(Start({QString::fromStdString(list)}), StartResult::Running);
    List().SetText(0, kColPriority, "9");
    Doc().SetModifiedFlag(true);

    prompts.saveAnswers = {SaveAnswer::Cancel};
    Frame().RunCommand(ids::kCmdFileNew);
    EXPECT_EQ(List().GetCount(), 3) << "Cancel keeps the list";
    EXPECT_EQ(prompts.askedToSave, std::vector<QString>{QString::fromStdString(list)});

    std::string other = MakeList("other.vist", {"/o/x.bmp"});
    const std::string otherBytes = ReadFile(other);
    prompts.openPaths = {QString::fromStdString(other)};
    prompts.saveAnswers = {SaveAnswer::Save};
    Frame().RunCommand(ids::kCmdFileOpen);
    EXPECT_EQ(Doc().PathName(), other);
    {
        CWallpaperList saved;
        std::string detail;
        ASSERT_EQ(ReadListFile(list, saved, detail), ListLoadStatus::Ok);
        EXPECT_EQ(saved.GetText(0, kColPriority), "9") << "Save wrote the changed list first";
    }

    Doc().SetModifiedFlag(true);
    prompts.saveAnswers = {SaveAnswer::Cancel, SaveAnswer::Discard};
    EXPECT_FALSE(Frame().close()) << "Cancel keeps the window";
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(ReadFile(other), otherBytes) << "Discard wrote nothing";
}

TEST_F(DocumentTest, ANewListIsSavedUnderAChosenNameWithTheListEnding)
{
    ASSERT_EQ(Start(), StartResult::Running);
    List().InsertFile("/n/new.bmp", true);
    ASSERT_TRUE(Doc().IsModified());
    std::string target = home.File("chosen.vist");
    prompts.savePaths = {QString::fromStdString(target)};
    Frame().RunCommand(ids::kCmdFileSave);
    EXPECT_EQ(prompts.proposedNames, std::vector<QString>{"Vistre.vist"}) << "the new-document name";
    EXPECT_EQ(Doc().PathName(), target);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Frame().windowTitle(), "chosen.vist - Vistrel");
    EXPECT_EQ(app->RecentFiles().Names().front(), target);
    CWallpaperList saved;
    std::string detail;
    EXPECT_EQ(ReadListFile(target, saved, detail), ListLoadStatus::Ok);
    EXPECT_EQ(saved.GetCount(), 1);
}

TEST_F(DocumentTest, AWrongFormatFileIsNeverWrittenOverBySave)
{
    std::string foreign = home.File("foreign.vist");
    std::string bytes = std::string("\x0dNotVistrel V1\x01\0\0\0 and the rest of someone's file", 47);
    WriteFile(foreign, bytes);
    ASSERT_EQ(Start({QString::fromStdString(foreign)}), StartResult::Running);
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Wrong File Format (" + foreign + ")"}) << "naming the file";
    EXPECT_EQ(List().GetCount(), 0);
    EXPECT_TRUE(Doc().PathName().empty()) << "the list is not that file's";
    EXPECT_EQ(Frame().windowTitle(), "Untitled - Vistrel");

    List().InsertFile("/w/a.bmp", true);
    prompts.savePaths = {}; // the user cancels the file dialog
    Frame().RunCommand(ids::kCmdFileSave);
    EXPECT_EQ(prompts.proposedNames.size(), 1u) << "Save asks for a name";
    EXPECT_EQ(ReadFile(foreign), bytes) << "the file that failed to load is untouched";
    EXPECT_TRUE(app->RecentFiles().Names().empty() || app->RecentFiles().Names().front() != foreign)
        << "nor is it the scheduler's list";
}

TEST_F(DocumentTest, ADamagedFileLeavesANewListWithoutItsName)
{
    ASSERT_EQ(Start(), StartResult::Running);
    std::string bytes = ReadFile(list);
    WriteFile(list, bytes.substr(0, bytes.size() - 30));
    EXPECT_FALSE(LoadedCompletely(Frame().OpenDocumentFile(QString::fromStdString(list))));
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Unexpected file format."});
    EXPECT_EQ(List().GetCount(), 0);
    EXPECT_TRUE(Doc().PathName().empty());
    Frame().RunCommand(ids::kCmdFileSave);
    EXPECT_EQ(prompts.proposedNames.size(), 1u);
    EXPECT_EQ(ReadFile(list), bytes.substr(0, bytes.size() - 30));
}

TEST_F(DocumentTest, SavingOverAListTheSchedulerWroteAsksFirst)
{
    ASSERT_EQ(Start({QString::fromStdString(list)}), StartResult::Running);
    List().SetText(1, kColPriority, "77");
    Doc().SetModifiedFlag(true);
    SchedulerSaves("5");
    const std::string schedulers = ReadFile(list);

    prompts.diskAnswers = {DiskAnswer::Cancel};
    Frame().RunCommand(ids::kCmdFileSave);
    EXPECT_EQ(prompts.diskQuestions, std::vector<bool>{true});
    EXPECT_EQ(ReadFile(list), schedulers) << "Cancel: the scheduler's save stays";
    EXPECT_TRUE(Doc().IsModified()) << "and so do the user's changes";

    prompts.diskAnswers = {DiskAnswer::Reload};
    Frame().RunCommand(ids::kCmdFileSave);
    EXPECT_EQ(ReadFile(list), schedulers);
    EXPECT_EQ(List().GetText(0, kColTotal), "5") << "reloaded: the disk's counters";
    EXPECT_EQ(List().GetText(1, kColPriority), "50");
    EXPECT_FALSE(Doc().IsModified());

    List().SetText(1, kColPriority, "77");
    Doc().SetModifiedFlag(true);
    SchedulerSaves("6");
    prompts.diskAnswers = {DiskAnswer::KeepMine};
    Frame().RunCommand(ids::kCmdFileSave);
    CWallpaperList saved;
    std::string detail;
    ASSERT_EQ(ReadListFile(list, saved, detail), ListLoadStatus::Ok);
    EXPECT_EQ(saved.GetText(1, kColPriority), "77") << "the user chose their list";
    EXPECT_FALSE(Doc().IsModified());

    Frame().RunCommand(ids::kCmdFileSave);
    EXPECT_EQ(prompts.diskQuestions.size(), 3u) << "our own save is no change on disk";
}

TEST_F(DocumentTest, ComingBackToTheWindowReadsAListTheSchedulerWrote)
{
    ASSERT_EQ(Start({QString::fromStdString(list)}), StartResult::Running);
    SchedulerSaves("3");
    Frame().CheckDiskChanged();
    EXPECT_EQ(List().GetText(0, kColTotal), "3") << "nothing of the user's to lose: read again";
    EXPECT_TRUE(prompts.diskQuestions.empty());

    List().SetText(2, kColPriority, "11");
    Doc().SetModifiedFlag(true);
    SchedulerSaves("4");
    prompts.diskAnswers = {DiskAnswer::KeepMine};
    Frame().CheckDiskChanged();
    EXPECT_EQ(prompts.diskQuestions, std::vector<bool>{false});
    EXPECT_EQ(List().GetText(2, kColPriority), "11");
    Frame().CheckDiskChanged();
    EXPECT_EQ(prompts.diskQuestions.size(), 1u) << "asked once per change on disk";
    Frame().RunCommand(ids::kCmdFileSave);
    EXPECT_EQ(prompts.diskQuestions.size(), 1u) << "the user already chose to keep their changes";
}

TEST_F(DocumentTest, AFailedSaveKeepsTheOldFileAndSaysSo)
{
    ASSERT_EQ(Start({QString::fromStdString(list)}), StartResult::Running);
    const std::string before = ReadFile(list);
    List().SetText(0, kColPriority, "1");
    Doc().SetModifiedFlag(true);
    std::string target = home.File("no-such-folder/list.vist");
    prompts.savePaths = {QString::fromStdString(target)};
    Frame().RunCommand(ids::kCmdFileSaveAs);
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0].rfind("Failed to save document.", 0), 0u) << sink.texts[0];
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Doc().PathName(), list);
    EXPECT_EQ(ReadFile(list), before);
}
