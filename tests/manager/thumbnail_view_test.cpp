// SPDX-License-Identifier: GPL-3.0-or-later
// The list as a grid of thumbnails: View > Thumbnails switches and is
// remembered, the grid shares the row view's selection and commands, and its
// cells show the pictures, read once and kept in the private cache.
#include "app/resource_ids.h"
#include "list/image_list_view.h"
#include "list/thumbnail_cache.h"
#include "list/thumbnail_view.h"
#include "preview/preview_view.h"
#include "tree_fixture.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

class ThumbnailViewTest : public TreeTest {
protected:
    void StartWithPictures()
    {
        WriteBytes(Desktop() / "red.bmp", SolidBitmap(200, 100, 0xFF0000));
        WriteBytes(Desktop() / "blue.bmp", SolidBitmap(90, 160, 0x0000FF));
        WriteBytes(Desktop() / "green.bmp", SolidBitmap(50, 50, 0x00FF00));
        StartWithBitload();
        Frame().show();
        QApplication::setActiveWindow(&Frame());
        ASSERT_EQ(List().InsertFiles(std::vector<std::string>{DesktopFile("red.bmp"), DesktopFile("blue.bmp"),
                                                              DesktopFile("green.bmp")},
                                     false),
                  3);
        grid = Frame().ThumbnailView();
        ASSERT_TRUE(grid);
    }

    QImage Picture() { return grid->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QColor Centre(int row)
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        return Picture().pixelColor(cell.center().x(), cell.top() + 6 + grid->Loader().Edge() / 2);
    }

    CThumbnailView* grid = nullptr;
};

} // namespace

TEST_F(ThumbnailViewTest, TheViewMenuSwitchesToTheGridAndTheChoiceIsRemembered)
{
    StartWithPictures();
    QAction* item = Frame().Action(ids::kCmdViewThumbnails);
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(Frame().ShownListView(), Frame().ListView());

    Frame().RunCommand(ids::kCmdViewThumbnails);
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(Frame().ShownListView(), grid);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_FALSE(Frame().ListView()->isVisible());

    // The next start shows the grid again.
    app.reset();
    ASSERT_EQ(Start(), StartResult::Running);
    EXPECT_TRUE(Frame().ShowsThumbnails());
    EXPECT_TRUE(Frame().Action(ids::kCmdViewThumbnails)->isChecked());
    Frame().RunCommand(ids::kCmdViewThumbnails);
    app.reset();
    ASSERT_EQ(Start(), StartResult::Running);
    EXPECT_FALSE(Frame().ShowsThumbnails());
}

TEST_F(ThumbnailViewTest, TheGridSharesTheSelectionAndTheCommands)
{
    StartWithPictures();
    Frame().RunCommand(ids::kCmdViewThumbnails);
    Select({0, 2});
    EXPECT_EQ(grid->SelectedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(grid->currentIndex().row(), 0);

    // A click selects in both views and arms the preview from the list.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 0)).center());
    EXPECT_EQ(Frame().ListView()->SelectedRows(), (std::vector<int>{1}));
    EXPECT_EQ(app->Preview()->Source(), PreviewSource::List);
    EXPECT_TRUE(Frame().PreviewTimer().isActive());

    // The Delete key, as in the rows.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(List().GetCount(), 2);
    EXPECT_EQ(List().GetText(1, kColFile), DesktopFile("green.bmp"));
    EXPECT_EQ(grid->model()->rowCount(), 2);

    // Select All and Set Priority work on what the grid shows.
    Frame().RunCommand(ids::kCmdSelectAll);
    EXPECT_EQ(grid->SelectedRows(), (std::vector<int>{0, 1}));
    WhenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("1011")->setText("7");
        dialog->findChild<QAbstractButton*>("1")->click();
    });
    Frame().RunCommand(ids::kCmdSetPriority);
    EXPECT_EQ(Column(kColPriority), (std::vector<std::string>{"7", "7"}));
}

TEST_F(ThumbnailViewTest, CellsShowTheirPicturesReadOnceAndTheFileNameUnderEach)
{
    StartWithPictures();
    Frame().resize(1000, 600);
    Frame().RunCommand(ids::kCmdViewThumbnails);
    QApplication::processEvents();
    ThumbnailLoader& loader = grid->Loader();
    EXPECT_TRUE(Eventually([&] {
        grid->viewport()->repaint();
        return loader.Idle() && Centre(0) == QColor(255, 0, 0);
    }));
    EXPECT_EQ(Centre(1), QColor(0, 0, 255));
    EXPECT_EQ(Centre(2), QColor(0, 255, 0)) << "a small picture is shown at its size, not enlarged";
    EXPECT_EQ(loader.Decodes(), 3);

    // Every picture is in the private cache now, for every program.
    for (const char* name : {"red.bmp", "blue.bmp", "green.bmp"}) {
        const thumbnails::SourceFile file = thumbnails::Describe(QString::fromStdString(DesktopFile(name)));
        EXPECT_EQ(thumbnails::Find(thumbnails::CacheRoot(), file, 128).found, thumbnails::Found::Thumbnail) << name;
    }
    EXPECT_TRUE(thumbnails::CacheRoot().startsWith(QString::fromStdString(home.File("cache"))));

    // Painting again decodes nothing.
    grid->viewport()->repaint();
    QApplication::processEvents();
    EXPECT_EQ(loader.Decodes(), 3);
}
