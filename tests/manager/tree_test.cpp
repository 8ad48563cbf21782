// SPDX-License-Identifier: GPL-3.0-or-later
// The folder tree as the user meets it: its roots, a folder's claimed files,
// fresh contents at each expansion, double-click inserts, the context menus
// and their commands, and the drives a Linux user would browse.
#include "app/resource_ids.h"
#include "list/image_list_view.h"
#include "preview/preview_view.h"
#include "tree/browsable_volumes.h"
#include "tree_fixture.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

class FolderTreeTest : public TreeTest {
protected:
    // Records every menu the tree pops up and picks the item `choose`
    // (no item when 0).
    void RecordMenus(int choose = 0)
    {
        tree->runMenu = [this, choose](QMenu& menu, const QPoint&) -> QAction* {
            QStringList items;
            QAction* chosen = nullptr;
            for (QAction* action : menu.actions()) {
                items << action->objectName();
                if (CommandOf(action) == choose && choose != 0)
                    chosen = action;
            }
            menus.push_back(menu.objectName() + ":" + items.join(','));
            return chosen;
        };
    }

    // A right-click the way the window system delivers it: the press, then
    // the context menu request.
    void RightClick(const QPoint& at)
    {
        QTest::mousePress(tree->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &request);
        QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, at);
    }

    // A double-click as the window system delivers it: a click, then a
    // press that comes as a double-click, then the release.
    void DoubleClick(const QPoint& at)
    {
        QWidget* viewport = tree->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          {});
        QApplication::sendEvent(viewport, &twice);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }

    QStringList menus;
};

} // namespace

TEST_F(FolderTreeTest, AFolderListsItsSubfoldersThenTheFilesAReaderClaims)
{
    for (const char* name : {"c.jpg", "b.bitmap", "d.exe", "a.BMP", ".e.bmp", "Zoo/x.bmp", ".hidden/y.bmp"})
        WriteBytes(Desktop() / name, "x");
    std::filesystem::create_directories(Desktop() / "empty");
    StartWithBitload();
    EXPECT_EQ(Names({}), (QStringList{"Extenders", "Drives", "desktop"}));
    EXPECT_FALSE(model->hasChildren(model->ExtendersRoot())) << "no expand button on \"Extenders\"";
    EXPECT_TRUE(model->hasChildren(model->DesktopRoot())) << "not read yet, but it can be expanded";
    EXPECT_EQ(model->rowCount(model->DesktopRoot()), 0) << "read only when expanded";

    tree->expand(model->DesktopRoot());
    EXPECT_EQ(Names(model->DesktopRoot()), (QStringList{"empty", "Zoo", "a.BMP", "b.bitmap"}))
        << "folders first, then the bitmap reader's files, each sorted ignoring case; hidden ones never";
    const QModelIndex empty = model->Find(model->DesktopRoot(), "empty");
    EXPECT_TRUE(model->hasChildren(empty));
    tree->expand(empty);
    EXPECT_FALSE(model->hasChildren(empty)) << "a folder found empty loses its expand button";
    EXPECT_EQ(model->PathOf(model->Find(model->DesktopRoot(), "a.BMP")), DesktopFile("a.BMP"));
    EXPECT_EQ(model->PathOf(model->Find(model->DesktopRoot(), "Zoo")), DesktopFile("Zoo") + "/");
    EXPECT_FALSE(model->data(model->Find(model->DesktopRoot(), "a.BMP"), Qt::DecorationRole).value<QIcon>().isNull())
        << "every item has its shell icon";
}

TEST_F(FolderTreeTest, EachExpansionReadsTheFolderAgain)
{
    WriteBytes(Desktop() / "pics" / "a.bmp", "x");
    WriteBytes(Desktop() / "pics" / "b.bmp", "x");
    StartWithBitload();
    const QModelIndex pics = Item({"pics"});
    EXPECT_EQ(Names(pics), (QStringList{"a.bmp", "b.bmp"}));
    tree->collapse(pics);
    EXPECT_EQ(Names(pics), (QStringList{"a.bmp", "b.bmp"})) << "collapsing keeps the children";
    WriteBytes(Desktop() / "pics" / "c.bmp", "x");
    std::filesystem::remove(Desktop() / "pics" / "a.bmp");
    std::filesystem::create_directories(Desktop() / "pics" / "new");
    tree->expand(pics);
    EXPECT_EQ(Names(pics), (QStringList{"new", "b.bmp", "c.bmp"}));

    // The Expand/Collapse command toggles the selected item.
    tree->setCurrentIndex(pics);
    Frame().RunCommand(ids::kCmdExpandCollapse);
    EXPECT_FALSE(tree->isExpanded(pics));
    Frame().RunCommand(ids::kCmdExpandCollapse);
    EXPECT_TRUE(tree->isExpanded(pics));
}

TEST_F(FolderTreeTest, ADoubleClickInsertsAFileOnceAndFocusesItsRow)
{
    WriteBytes(Desktop() / "first.bmp", "x");
    WriteBytes(Desktop() / "pics" / "a.bmp", "x");
    StartWithBitload();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(List().InsertFile(DesktopFile("first.bmp"), true));
    const QModelIndex file = Item({"pics", "a.bmp"});
    ASSERT_TRUE(file.isValid());
    DoubleClick(Centre(file));
    EXPECT_EQ(Column(kColFile), (std::vector<std::string>{DesktopFile("first.bmp"), DesktopFile("pics/a.bmp")}));
    EXPECT_EQ(Frame().ListView()->currentIndex().row(), 1);
    EXPECT_TRUE(Eventually([&] { return Frame().ListView()->hasFocus(); })) << "the keyboard moves to the list";

    DoubleClick(Centre(file));
    EXPECT_EQ(List().GetCount(), 2) << "duplicates refused";

    // A folder only opens or closes.
    const QModelIndex pics = file.parent();
    ASSERT_TRUE(tree->isExpanded(pics));
    DoubleClick(Centre(pics));
    EXPECT_FALSE(tree->isExpanded(pics));
    EXPECT_EQ(List().GetCount(), 2);
}

TEST_F(FolderTreeTest, EachKindOfItemHasItsMenuAndEmptySpaceNone)
{
    WriteBytes(Desktop() / "a.bmp", "x");
    std::filesystem::create_directories(Desktop() / "empty");
    StartWithBitload();
    RecordMenus();
    const QModelIndex file = Item({"a.bmp"});
    const QModelIndex empty = Item({"empty"});
    for (const QModelIndex& item : {model->ExtendersRoot(), model->DrivesRoot(), model->DesktopRoot(), file, empty})
        RightClick(Centre(item));
    EXPECT_EQ(menus, (QStringList{"StubMenu:32006", "StubMenu:32006", "Directory:32026,32003,32006", "File:32004,32027",
                                  "File:32004,32027"}))
        << "a folder found empty counts as a leaf";

    // Empty space: the selection goes, no menu comes.
    tree->setCurrentIndex(file);
    menus.clear();
    RightClick(QPoint(tree->viewport()->width() / 2, tree->viewport()->height() - 5));
    EXPECT_TRUE(menus.isEmpty());
    EXPECT_FALSE(tree->SelectedIndex().isValid());
    EXPECT_TRUE(Frame().TreeView()->SelectedItem().path.empty());
}

TEST_F(FolderTreeTest, TheInsertCommandsRefuseOrAllowDuplicatesAsTheirNamesSay)
{
    WriteBytes(Desktop() / "pics" / "a.bmp", "x");
    WriteBytes(Desktop() / "pics" / "sub" / "b.bmp", "x");
    WriteBytes(Desktop() / "pics" / "notes.txt", "x");
    StartWithBitload();
    const QModelIndex pics = Item({"pics"});
    RecordMenus(ids::kCmdInsertNoDup);
    RightClick(Centre(pics));
    EXPECT_EQ(Column(kColFile), (std::vector<std::string>{DesktopFile("pics/a.bmp"), DesktopFile("pics/sub/b.bmp")}))
        << "the folder and its subfolder, through the Recursive Insert dialog";
    RightClick(Centre(pics));
    EXPECT_EQ(List().GetCount(), 2);
    RecordMenus(ids::kCmdInsertAll);
    RightClick(Centre(pics));
    EXPECT_EQ(List().GetCount(), 4);

    // A folder named like a picture, read and found empty, is still a folder:
    // its menu is a leaf's, but inserting it walks it and adds nothing.
    std::filesystem::create_directories(Desktop() / "album.bmp");
    tree->collapse(model->DesktopRoot());
    const QModelIndex album = Item({"album.bmp"});
    ASSERT_FALSE(model->HasChild(album));
    RecordMenus(ids::kCmdInsert);
    RightClick(Centre(album));
    DoubleClick(Centre(album));
    EXPECT_EQ(List().GetCount(), 4);

    const QModelIndex file = Item({"pics", "a.bmp"});
    RecordMenus(ids::kCmdInsertDup);
    RightClick(Centre(file));
    EXPECT_EQ(List().GetCount(), 5);
    RecordMenus(ids::kCmdInsert);
    RightClick(Centre(file));
    EXPECT_EQ(List().GetCount(), 5);
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(FolderTreeTest, WithTheDrivesOrExtendersRootSelectedNothingIsInserted)
{
    WriteBytes(Desktop() / "a.bmp", "x");
    StartWithBitload();
    for (const QModelIndex& root : {model->DrivesRoot(), model->ExtendersRoot()}) {
        tree->setCurrentIndex(root);
        for (int id :
             {ids::kCmdInsert, ids::kCmdInsertNoDup, ids::kCmdInsertAll, ids::kCmdInsertDup, ids::kCmdInsertDialog})
            Frame().RunCommand(id);
    }
    EXPECT_EQ(List().GetCount(), 0);
    EXPECT_FALSE(Doc().IsModified());

    tree->expand(model->DrivesRoot());
    const QStringList drives = Names(model->DrivesRoot());
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.front(), "/") << "the root file system comes first";
    EXPECT_EQ(model->PathOf(model->index(0, 0, model->DrivesRoot())), "/");
}

TEST_F(FolderTreeTest, AClickOrAKeyArmsThePreviewWithTheItemsPath)
{
    WriteBytes(Desktop() / "a.bmp", "x");
    WriteBytes(Desktop() / "b.bmp", "x");
    StartWithBitload();
    const QModelIndex a = Item({"a.bmp"});
    Click(a);
    CVistrelPreviewView* preview = app->Preview();
    EXPECT_TRUE(Frame().PreviewTimer().isActive());
    EXPECT_EQ(preview->Source(), PreviewSource::Tree);
    EXPECT_EQ(preview->PendingPath(), DesktopFile("a.bmp"));

    Frame().PreviewTimer().stop();
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_TRUE(Frame().PreviewTimer().isActive());
    EXPECT_EQ(preview->PendingPath(), DesktopFile("b.bmp")) << "the item the keys moved to";

    Click(model->DesktopRoot());
    EXPECT_EQ(preview->PendingPath(), DesktopFile("")) << "a folder's path ends with its separator";
}

TEST(BrowsableVolumes, TheRootTheHomeVolumeAndMountedMediaButNoPseudoFileSystems)
{
    const std::vector<MountedVolume> mounts = {
        {"/proc", "proc", "", true},
        {"/media/ann/STICK", "vfat", "STICK", true},
        {"/", "overlay", "", true},
        {"/home", "ext4", "", true},
        {"/boot", "ext4", "", true},
        {"/mnt/ram", "tmpfs", "", true},
        {"/run/media/ann/CAMERA", "exfat", "CAMERA", true},
        {"/media/ann/CD", "iso9660", "", false},
        {"/mnt/backup", "ext4", "backup", true},
        {"/", "ext4", "", true},
        {"/sys/fs/cgroup", "cgroup2", "", true},
    };
    std::vector<QString> roots, names;
    for (const BrowsableVolume& volume : ChooseBrowsableVolumes(mounts, "/home")) {
        roots.push_back(volume.root);
        names.push_back(volume.displayName);
    }
    EXPECT_EQ(roots,
              (std::vector<QString>{"/", "/home/", "/media/ann/STICK/", "/mnt/backup/", "/run/media/ann/CAMERA/"}));
    EXPECT_EQ(names, (std::vector<QString>{"/", "/home", "STICK (/media/ann/STICK)", "backup (/mnt/backup)",
                                           "CAMERA (/run/media/ann/CAMERA)"}));
}
