// SPDX-License-Identifier: GPL-3.0-or-later
// The image list as the user sees it: each row's extender icons at the end
// of its file cell, the highlight that needs the focus, and the cut path.
#include "manager_fixture.h"

#include "app/resource_ids.h"
#include "list/image_list_view.h"
#include "tree/left_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPaintEvent>
#include <QTest>
#include <optional>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

const QColor kGreen(0x00, 0xA0, 0x00), kGrey(0x80, 0x80, 0x80), kRed(0xE0, 0x10, 0x10);

// The left edge of a framed 16 x 16 icon whose inside is `colour`, in the
// band of `rows` of the picture; nullopt when there is none.
std::optional<int> FindIcon(const QImage& image, const QColor& colour, int top, int bottom)
{
    for (int y = top; y + 14 <= bottom; ++y)
        for (int x = 1; x + 14 < image.width(); ++x) {
            if (image.pixelColor(x, y) != colour || image.pixelColor(x - 1, y) != Qt::black)
                continue;
            bool whole = true;
            for (int dy = 0; dy < 14 && whole; ++dy)
                for (int dx = 0; dx < 14 && whole; ++dx)
                    whole = image.pixelColor(x + dx, y + dy) == colour;
            if (whole)
                return x - 1;
        }
    return std::nullopt;
}

// The parts of a widget asked to be painted, since the filter was made.
class PaintRecorder final : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

class ViewTest : public ManagerTest {
protected:
    void OpenList(const std::vector<std::string>& files)
    {
        UseStandardExtenders();
        UseIconExtenders();
        ASSERT_EQ(Start({QString::fromStdString(MakeList("view.vist", files))}), StartResult::Running);
        Frame().resize(1000, 500);
        QApplication::processEvents();
        view = Frame().ListView();
    }

    QImage Picture() { return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect RowRect(int row) { return view->visualRect(view->model()->index(row, 0)); }

    CVistrelView* view = nullptr;
};

} // namespace

TEST_F(ViewTest, EachRowEndsItsFileCellWithItsChainsIconsInChainOrder)
{
    OpenList({"/v/a.pic", "/v/b.bmp", "/v/c.pic"});
    EXPECT_EQ(view->header()->count(), 5);
    QImage picture = Picture();
    const QRect row0 = RowRect(0);
    const int fileRight = view->columnViewportPosition(1);
    auto reader = FindIcon(picture, kGreen, row0.top(), row0.bottom() + 1);
    auto viewer = FindIcon(picture, kGrey, row0.top(), row0.bottom() + 1);
    ASSERT_TRUE(reader && viewer);
    EXPECT_EQ(*viewer, *reader + 16) << "reader, then viewer, side by side";
    EXPECT_LE(*viewer + 16, fileRight);
    EXPECT_GE(*viewer + 16, fileRight - 20) << "right-aligned in the file cell";

    const QRect row1 = RowRect(1);
    EXPECT_FALSE(FindIcon(picture, kGreen, row1.top(), row1.bottom() + 1)) << "extenders without pictures";

    // The viewer's icon follows its mode: "Red" sets icon 301.
    Select({0});
    for (const auto& record : app->ExtenderCommands())
        if (record.shortName == "Iconview" && record.index == 0)
            Frame().RunCommand(record.id);
    picture = Picture();
    EXPECT_EQ(FindIcon(picture, kRed, row0.top(), row0.bottom() + 1), viewer);
    const QRect row2 = RowRect(2);
    EXPECT_TRUE(FindIcon(picture, kGrey, row2.top(), row2.bottom() + 1)) << "the unselected row keeps its mode";
}

TEST_F(ViewTest, SelectedRowsAreHighlightedToTheRightEdgeOnlyWhileTheListHasFocus)
{
    OpenList({"/v/a.bmp", "/v/b.bmp", "/v/c.bmp"});
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    Select({1});
    const QColor highlight = view->palette().color(QPalette::Highlight);
    const QColor base = view->palette().color(QPalette::Base);
    ASSERT_NE(highlight, base);
    const int y = RowRect(1).center().y();
    const int farRight = view->viewport()->width() - 2;
    ASSERT_GT(farRight, view->columnViewportPosition(4) + view->columnWidth(4)) << "the pane is wider than the columns";

    Frame().TreeView()->setFocus();
    ASSERT_TRUE(Eventually([&] { return !view->hasFocus(); }));
    EXPECT_EQ(Picture().pixelColor(farRight, y), base) << "no focus: no highlight";

    view->setFocus();
    ASSERT_TRUE(Eventually([&] { return view->hasFocus(); })) << "the offscreen window could not take the focus";
    QImage focused = Picture();
    EXPECT_EQ(focused.pixelColor(farRight, y), highlight);
    EXPECT_EQ(focused.pixelColor(farRight, RowRect(0).center().y()), base);
    EXPECT_NE(focused.pixelColor(view->columnViewportPosition(0) + 2, y), highlight)
        << "the row icon is not highlighted";
    EXPECT_EQ(focused.pixelColor(view->columnViewportPosition(0) + ImageRowDelegate::kLabelStart + 1, y), highlight);
}

TEST_F(ViewTest, ALongPathIsCutInsideItsCell)
{
    std::string longPath = "/v/" + std::string(280, 'w') + ".bmp";
    OpenList({longPath});
    QImage picture = Picture();
    const QRect row = RowRect(0);
    const QColor base = view->palette().color(QPalette::Base);
    // The strip between the file text's end and the "Type" text's start
    // stays empty: nothing of the path runs over.
    const int typeLeft = view->columnViewportPosition(1);
    for (int x = typeLeft - 3; x < typeLeft + 3; ++x)
        for (int y = row.top(); y <= row.bottom(); ++y)
            ASSERT_EQ(picture.pixelColor(x, y), base) << x << "," << y;
}

// Select All (the command, or Ctrl+A in the list) repaints every selected
// row to the right edge at once, not only the focused one.
TEST_F(ViewTest, SelectAllLightsEveryRowToTheRightEdgeAtOnce)
{
    std::vector<std::string> files;
    for (int i = 0; i < 8; ++i)
        files.push_back("/v/" + std::to_string(i) + ".bmp");
    OpenList(files);
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    view->setFocus();
    ASSERT_TRUE(Eventually([&] { return view->hasFocus(); }));
    Select({2});
    QApplication::processEvents();
    const int farRight = view->viewport()->width() - 2;
    ASSERT_GT(farRight, view->columnViewportPosition(4) + view->columnWidth(4));

    for (bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Ctrl+A" : "Select All");
        Select({2});
        QApplication::processEvents();
        PaintRecorder recorder(view->viewport());
        if (byKey)
            QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        else
            Frame().RunCommand(ids::kCmdSelectAll);
        QApplication::processEvents();
        ASSERT_EQ(view->SelectedRows().size(), files.size());
        for (int row = 0; row < static_cast<int>(files.size()); ++row) {
            if (row == 2)
                continue; // selected before, and lit already
            EXPECT_TRUE(recorder.painted.contains(QPoint(farRight, RowRect(row).center().y()))) << row;
        }
        const QColor highlight = view->palette().color(QPalette::Highlight);
        EXPECT_EQ(Picture().pixelColor(farRight, RowRect(7).center().y()), highlight);
    }
}

// A long path is cut in the middle, so that its file name stays, and ends
// before the extender icons; the row's tool tip is the whole path.
TEST_F(ViewTest, ALongPathKeepsItsFileNameClearOfTheIconsAndIsTheRowsToolTip)
{
    const std::string longPath = "/v/" + std::string(200, 'w') + "/holiday-at-the-sea.pic";
    OpenList({longPath});
    const QFontMetrics metrics = view->fontMetrics();
    const QString path = QString::fromStdString(longPath);
    const QString label = ImageRowDelegate::FileLabel(path, metrics, 300);
    EXPECT_TRUE(label.endsWith(QStringLiteral("holiday-at-the-sea.pic"))) << label.toStdString();
    EXPECT_TRUE(label.startsWith(QStringLiteral("/v/")));
    EXPECT_TRUE(label.contains(QChar(0x2026)));
    EXPECT_LE(metrics.horizontalAdvance(label), 300);
    EXPECT_EQ(ImageRowDelegate::FileLabel(QStringLiteral("/v/a.bmp"), metrics, 300), QStringLiteral("/v/a.bmp"));

    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(view->model()->index(0, column).data(Qt::ToolTipRole).toString(), path) << column;

    // Nothing of the text in the few pixels left of the reader's icon.
    QImage picture = Picture();
    const QRect row = RowRect(0);
    auto reader = FindIcon(picture, kGreen, row.top(), row.bottom() + 1);
    ASSERT_TRUE(reader);
    const QColor base = view->palette().color(QPalette::Base);
    for (int x = *reader - 2; x < *reader; ++x)
        for (int y = row.top(); y <= row.bottom(); ++y)
            ASSERT_EQ(picture.pixelColor(x, y), base) << x << "," << y;
}
