// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager started with the shipped bitmap reader as its only
// reader, the fake viewer of its type and the shipped scheduler, and with a
// desktop folder of the test's own: what the folder tree and preview tests
// share.
#pragma once

#include "bitmap_files.h"
#include "manager_fixture.h"
#include "tree/image_tree_ctrl.h"
#include "tree/left_view.h"

#include <QTest>
#include <filesystem>

namespace vistrel::manager::test {

class TreeTest : public ManagerTest {
protected:
    TreeTest() { std::filesystem::create_directories(home.Path() / "desktop"); }

    void StartWithBitload()
    {
        using vistrel::test::BinDir;
        using vistrel::test::FakesDir;
        using vistrel::test::LibraryFile;
        AddExtender("Read_Expander", BinDir() / "Read_Expander" / LibraryFile("Bitload"));
        AddExtender("View_Expander", FakesDir() / LibraryFile("FakeViewer"));
        AddExtender("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
        ASSERT_EQ(Start(), StartResult::Running);
        Frame().resize(900, 600);
        QApplication::processEvents();
        tree = Frame().TreeView()->Tree();
        model = &tree->Model();
    }

    std::filesystem::path Desktop() const { return home.Path() / "desktop"; }
    std::string DesktopFile(const std::string& name) const { return (Desktop() / name).string(); }

    QStringList Names(const QModelIndex& parent) const
    {
        QStringList names;
        for (int row = 0; row < model->rowCount(parent); ++row)
            names << model->index(row, 0, parent).data().toString();
        return names;
    }

    // The item at `names` below the desktop folder, each level expanded on the way.
    QModelIndex Item(std::initializer_list<const char*> names)
    {
        QModelIndex at = model->DesktopRoot();
        tree->expand(at);
        for (const char* name : names) {
            at = model->Find(at, QString::fromUtf8(name));
            if (!at.isValid())
                break;
            if (model->HasChild(at))
                tree->expand(at);
        }
        return at;
    }

    QPoint Centre(const QModelIndex& index)
    {
        tree->scrollTo(index);
        return tree->visualRect(index).center();
    }
    void Click(const QModelIndex& index, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(tree->viewport(), button, {}, Centre(index));
    }

    vistrel::test::ScopedEnvironment desktopDir{"XDG_DESKTOP_DIR", home.File("desktop")};
    CImageTreeCtrl* tree = nullptr;
    FolderTreeModel* model = nullptr;
};

} // namespace vistrel::manager::test
