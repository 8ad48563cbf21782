// SPDX-License-Identifier: GPL-3.0-or-later
// The Recursive Insert dialog: its counters, duplicates, hidden folders, and
// a stop asked for by Cancel, Escape or the close box, which never ends the
// dialog before the walk has.
#include "app/resource_ids.h"
#include "bitmap_files.h"
#include "dialogs/recursive_insert_dialog.h"
#include "worker_fixture.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

class RecursiveInsertTest : public WorkerTest {
protected:
    // Runs the dialog on `folder`; `during` runs once the dialog is up.
    void Insert(const std::string& folder, bool noDuplicates, std::function<void(CRecursiveInsertDlg&)> during = {},
                std::function<void(CRecursiveInsertDlg&)> setUp = {})
    {
        CRecursiveInsertDlg dialog(
            &registry, [&](std::span<const std::string> batch) { return list.InsertFiles(batch, noDuplicates); });
        if (setUp)
            setUp(dialog);
        if (during)
            QTimer::singleShot(0, &dialog, [&] { during(dialog); });
        dialog.Run(folder);
        ended = !dialog.isVisible();
        folders = dialog.findChild<QLineEdit*>(QString::number(ids::kEditFoldersScanned))->text();
        files = dialog.findChild<QLineEdit*>(QString::number(ids::kEditFilesAdded))->text();
    }

    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int i = 0; i < list.GetCount(); ++i)
            rows.push_back(list.GetText(i, kColFile));
        return rows;
    }

    // Holds the walk after each batch until a stop was asked for.
    static void HoldUntilCancel(CRecursiveInsertDlg& dialog)
    {
        dialog.batchSize = 1;
        dialog.afterBatch = [&dialog] {
            while (!dialog.CancelRequested())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    }

    void MakeManyPictures(int count)
    {
        for (int i = 0; i < count; ++i)
            WriteBytes(home.Path() / "many" / ("p" + std::to_string(1000 + i) + ".bmp"), "x");
    }

    bool ended = false;
    QString folders, files;
};

} // namespace

TEST_F(RecursiveInsertTest, CountsTheSubfoldersAndTheFilesAddedAndAddsTheirRows)
{
    for (const char* name : {"top/b.bmp", "top/a.bmp", "top/sub/c.bitmap", "top/sub/notes.txt"})
        WriteBytes(home.Path() / name, "x");
    Insert(File("top"), true);
    EXPECT_TRUE(ended);
    EXPECT_EQ(folders, "1") << "the folder walked is not counted, its subfolder is";
    EXPECT_EQ(files, "3");
    EXPECT_EQ(Rows(), (std::vector<std::string>{File("top/a.bmp"), File("top/b.bmp"), File("top/sub/c.bitmap")}));

    // Again with duplicates refused: nothing is added, the files field stays empty.
    Insert(File("top"), true);
    EXPECT_EQ(folders, "1");
    EXPECT_EQ(files, "");
    EXPECT_EQ(list.GetCount(), 3);

    // With duplicates allowed every file comes again.
    Insert(File("top") + "/", false);
    EXPECT_EQ(files, "3");
    EXPECT_EQ(list.GetCount(), 6);
}

TEST_F(RecursiveInsertTest, HiddenFoldersAndMissingFoldersAddNothing)
{
    WriteBytes(home.Path() / "top" / ".hidden" / "a.bmp", "x");
    WriteBytes(home.Path() / "top" / ".hidden" / "deeper" / "b.bmp", "x");
    WriteBytes(home.Path() / "top" / ".c.bmp", "x");
    Insert(File("top"), true);
    EXPECT_TRUE(ended);
    EXPECT_EQ(folders, "") << "a hidden folder is not counted";
    EXPECT_EQ(files, "");
    EXPECT_EQ(list.GetCount(), 0);

    Insert(File("no such folder"), true);
    EXPECT_TRUE(ended);
    Insert("", true);
    EXPECT_TRUE(ended) << "an empty path walks nothing";
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(RecursiveInsertTest, CancelStopsTheWalkAndKeepsTheRowsAddedSoFar)
{
    MakeManyPictures(20);
    bool visibleAfterClick = false;
    Insert(
        File("many"), true,
        [&](CRecursiveInsertDlg& dialog) {
            ASSERT_TRUE(Eventually([&] { return list.GetCount() == 1; }));
            auto* cancel = dialog.findChild<QPushButton*>(QString::number(ids::kButtonStopInsert));
            ASSERT_NE(cancel, nullptr);
            EXPECT_EQ(cancel->text(), "Cancel");
            QTest::mouseClick(cancel, Qt::LeftButton);
            visibleAfterClick = dialog.isVisible();
        },
        HoldUntilCancel);
    EXPECT_TRUE(visibleAfterClick) << "Cancel only asks for the stop; the walk's end closes the dialog";
    EXPECT_TRUE(ended);
    EXPECT_EQ(Rows(), std::vector<std::string>{File("many/p1000.bmp")});
    EXPECT_EQ(files, "1");
}

TEST_F(RecursiveInsertTest, EscapeAndTheCloseBoxActLikeCancel)
{
    MakeManyPictures(10);
    bool visibleAfterEscape = false;
    Insert(
        File("many"), true,
        [&](CRecursiveInsertDlg& dialog) {
            ASSERT_TRUE(Eventually([&] { return list.GetCount() == 1; }));
            QTest::keyClick(&dialog, Qt::Key_Escape);
            visibleAfterEscape = dialog.isVisible();
        },
        HoldUntilCancel);
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_TRUE(ended);
    EXPECT_EQ(list.GetCount(), 1);

    list.Reset();
    bool visibleAfterClose = false;
    Insert(
        File("many"), true,
        [&](CRecursiveInsertDlg& dialog) {
            ASSERT_TRUE(Eventually([&] { return list.GetCount() == 1; }));
            QCloseEvent close;
            QApplication::sendEvent(&dialog, &close);
            visibleAfterClose = dialog.isVisible();
        },
        HoldUntilCancel);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(ended);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(RecursiveInsertTest, TheDialogHasItsIdsTextsAndLiveCounters)
{
    MakeManyPictures(3);
    QString title;
    QStringList labels;
    std::atomic<int> batches{0};
    Insert(
        File("many"), true,
        [&](CRecursiveInsertDlg& dialog) {
            title = dialog.windowTitle();
            EXPECT_EQ(dialog.objectName(), "133");
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                labels << label->text();
            ASSERT_TRUE(Eventually([&] {
                return dialog.findChild<QLineEdit*>(QString::number(ids::kEditFilesAdded))->text() == "2";
            })) << "the files field counts while the walk runs";
            EXPECT_EQ(list.GetCount(), 2);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QString::number(ids::kButtonStopInsert)), Qt::LeftButton);
        },
        [&](CRecursiveInsertDlg& dialog) {
            dialog.batchSize = 1;
            dialog.afterBatch = [&] { // holds the walk after the second file
                if (++batches < 2)
                    return;
                while (!dialog.CancelRequested())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            };
        });
    EXPECT_EQ(title, "Recursive Insert file");
    EXPECT_EQ(labels, (QStringList{"Directories Scanned:", "Files Added:"}));
    EXPECT_EQ(list.GetCount(), 2);
}
