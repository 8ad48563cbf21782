// SPDX-License-Identifier: GPL-3.0-or-later
// The preview pane in the running window: armed by the tree and the list,
// loaded by the delay timer or a click into it, drawn filling the pane.
#include "app/resource_ids.h"
#include "list/image_list_view.h"
#include "preview/preview_view.h"
#include "tree_fixture.h"

#include <QSignalSpy>
#include <QSplitter>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0);

class PreviewTest : public TreeTest {
protected:
    void StartWithPictures()
    {
        WriteBytes(Desktop() / "red.bmp", SolidBitmap(40, 30, 0xFF0000));
        WriteBytes(Desktop() / "halves.bmp", TwoColourBitmap(40, 30, 0xFF0000, 0x0000FF));
        WriteBytes(Desktop() / "blue8.bmp", PaletteBitmap(7, 5, 0x0000FF));
        WriteBytes(Desktop() / "green.bmp", SolidBitmap(9, 9, 0x00FF00));
        std::filesystem::create_directories(Desktop() / "folder");
        StartWithBitload();
        pane = app->Preview();
        ASSERT_NE(pane, nullptr);
        Frame().show();
        QApplication::setActiveWindow(&Frame());
    }

    // Fires the preview delay as its end would.
    void TimerEnds() { QMetaObject::invokeMethod(&Frame().PreviewTimer(), "timeout"); }
    bool WaitForLoad()
    {
        return Eventually([&] { return !pane->Loading(); });
    }
    QImage Shown() { return pane->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The colours at the corners and the centre of the pane.
    std::vector<QColor> Spots()
    {
        QImage image = Shown();
        const int w = image.width() - 1, h = image.height() - 1;
        return {image.pixelColor(0, 0), image.pixelColor(w, 0), image.pixelColor(0, h), image.pixelColor(w, h),
                image.pixelColor(w / 2, h / 2)};
    }
    static std::vector<QColor> All(const QColor& colour) { return std::vector<QColor>(5, colour); }
    void ClickPane() { QTest::mouseClick(pane, Qt::LeftButton, {}, pane->rect().center()); }

    CVistrelPreviewView* pane = nullptr;
};

} // namespace

TEST_F(PreviewTest, AFolderClickLeavesThePlaceholder)
{
    StartWithPictures();
    const QColor base = pane->palette().color(QPalette::Base);
    Click(Item({"folder"}));
    TimerEnds();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_FALSE(pane->HasImage());
    EXPECT_EQ(Shown().pixelColor(1, 1), base);
}

TEST_F(PreviewTest, AFileShowsFillingThePaneAfterTheTimer)
{
    StartWithPictures();
    Click(Item({"red.bmp"}));
    EXPECT_FALSE(pane->HasImage()) << "nothing before the delay ends";
    TimerEnds();
    ASSERT_TRUE(Eventually([&] { return pane->HasImage(); }));
    EXPECT_EQ(Spots(), All(kRed)) << "the picture fills the whole pane";
    EXPECT_TRUE(Eventually([&] { return tree->hasFocus(); })) << "the tree gets the keyboard back";

    // A click on another item forgets the picture at once.
    Click(Item({"folder"}));
    EXPECT_FALSE(pane->HasImage());
}

TEST_F(PreviewTest, ASecondClickInThePaneChangesNothing)
{
    StartWithPictures();
    QSignalSpy loads(pane, &CVistrelPreviewView::loadRequested);
    Click(Item({"red.bmp"}));
    ClickPane();
    ASSERT_TRUE(Eventually([&] { return pane->HasImage(); })) << "a click into the pane loads at once";
    EXPECT_EQ(loads.count(), 1);
    ClickPane();
    TimerEnds();
    QTest::qWait(50);
    EXPECT_EQ(loads.count(), 1);
    EXPECT_EQ(Spots(), All(kRed));
}

TEST_F(PreviewTest, WithAutoPreviewOffOnlyAClickLoads)
{
    StartWithPictures();
    Frame().RunCommand(ids::kCmdAutoPreview);
    ASSERT_FALSE(app->AutoPreview());
    Click(Item({"green.bmp"}));
    TimerEnds();
    QTest::qWait(50);
    EXPECT_FALSE(pane->HasImage());
    EXPECT_FALSE(pane->Loading());
    ClickPane();
    ASSERT_TRUE(Eventually([&] { return pane->HasImage(); }));
    EXPECT_EQ(Spots(), All(kGreen));
}

TEST_F(PreviewTest, TheListsFocusedRowIsReadThroughItsChain)
{
    StartWithPictures();
    ASSERT_EQ(
        List().InsertFiles(
            std::vector<std::string>{DesktopFile("red.bmp"), DesktopFile("green.bmp"), DesktopFile("gone.bmp")}, false),
        3);
    CVistrelView* view = Frame().ListView();
    auto clickRow = [&](int row) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    };
    clickRow(1);
    EXPECT_EQ(pane->Source(), PreviewSource::List);
    TimerEnds();
    ASSERT_TRUE(Eventually([&] { return pane->HasImage(); }));
    EXPECT_EQ(Spots(), All(kGreen)) << "the clicked row, which is the focused one";

    clickRow(2); // its file is not there
    TimerEnds();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_FALSE(pane->HasImage());
}

TEST_F(PreviewTest, NewAndOpenBringBackTheTwoLinesOfText)
{
    StartWithPictures();
    const QImage empty = Shown();
    auto showRed = [&] {
        ASSERT_EQ(List().InsertFiles(std::vector<std::string>{DesktopFile("red.bmp")}, false), 1);
        CVistrelView* view = Frame().ListView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(List().GetCount() - 1, 0)).center());
        TimerEnds();
        ASSERT_TRUE(Eventually([&] { return pane->HasImage(); }));
    };
    showRed();
    prompts.saveAnswers = {SaveAnswer::Discard};
    Frame().RunCommand(ids::kCmdFileNew);
    EXPECT_FALSE(pane->HasImage());
    EXPECT_EQ(pane->Source(), PreviewSource::None);
    EXPECT_EQ(Shown(), empty) << "the two lines, as at start-up";
    ClickPane();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_FALSE(pane->HasImage()) << "nothing pending from the old list";

    const std::string list = MakeList("other.vist", {DesktopFile("green.bmp")});
    showRed();
    prompts.saveAnswers = {SaveAnswer::Discard};
    prompts.openPaths = {QString::fromStdString(list)};
    Frame().RunCommand(ids::kCmdFileOpen);
    ASSERT_EQ(Doc().PathName(), list);
    EXPECT_FALSE(pane->HasImage());
    EXPECT_EQ(Shown(), empty);
}

TEST_F(PreviewTest, AResizeResamplesAndPalettePicturesFillThePaneToo)
{
    StartWithPictures();
    Click(Item({"halves.bmp"}));
    ClickPane();
    ASSERT_TRUE(Eventually([&] { return pane->HasImage(); }));
    auto halves = [&] {
        QImage image = Shown();
        const int y = image.height() / 2;
        return std::pair(image.pixelColor(2, y), image.pixelColor(image.width() - 3, y));
    };
    EXPECT_EQ(halves(), std::pair(kRed, kBlue));
    auto* splitter = qobject_cast<QSplitter*>(pane->parentWidget());
    ASSERT_NE(splitter, nullptr);
    const QSize before = pane->size();
    splitter->setSizes({100, 400});
    QApplication::processEvents();
    ASSERT_NE(pane->size(), before);
    EXPECT_EQ(halves(), std::pair(kRed, kBlue)) << "distorted to fill the new size";
    std::vector<QColor> corners = Spots();
    corners.pop_back();
    EXPECT_EQ(corners, (std::vector<QColor>{kRed, kBlue, kRed, kBlue}));

    Click(Item({"blue8.bmp"}));
    ClickPane();
    ASSERT_TRUE(Eventually([&] { return pane->HasImage(); }));
    EXPECT_EQ(Spots(), All(kBlue)) << "an 8-bit picture fills the pane as well";
}
