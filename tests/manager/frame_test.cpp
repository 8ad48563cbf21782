// SPDX-License-Identifier: GPL-3.0-or-later
// The frame as the user meets it: menu 128 with its texts and keys, the
// toolbar in its order, the scheduling bar and the panes with their ids;
// and the pictures extenders hand out, however they are made.
#include "manager_fixture.h"

#include "app/artwork.h"
#include "app/resource_ids.h"
#include "list/extender_icons.h"
#include "list/image_list_view.h"
#include "preview/preview_view.h"
#include "tree/left_view.h"
#include "vistrel/platform/global_memory.h"

#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <cstring>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

std::vector<std::string> Items(const QMenu& menu)
{
    std::vector<std::string> items;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator())
            items.push_back("-");
        else if (action->menu())
            items.push_back(action->text().toStdString() + ">" + std::to_string(action->menu()->actions().size()));
        else
            items.push_back(action->objectName().toStdString() + " " + action->text().toStdString());
    }
    return items;
}

// A 32-bit DIB block with the header fields given and `pixelBytes` bytes
// of pixels, all of them 0x80.
gmem::Handle Dib(std::int32_t width, std::int32_t height, std::uint16_t bits, std::size_t pixelBytes,
                 std::uint32_t compression = 0)
{
    gmem::Handle dib = gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, 40 + pixelBytes);
    auto* bytes = static_cast<std::uint8_t*>(gmem::Lock(dib));
    const std::uint32_t header = 40;
    const std::uint16_t planes = 1;
    std::memcpy(bytes, &header, 4);
    std::memcpy(bytes + 4, &width, 4);
    std::memcpy(bytes + 8, &height, 4);
    std::memcpy(bytes + 12, &planes, 2);
    std::memcpy(bytes + 14, &bits, 2);
    std::memcpy(bytes + 16, &compression, 4);
    std::memset(bytes + 40, 0x80, pixelBytes);
    gmem::Unlock(dib);
    return dib;
}

} // namespace

TEST_F(ManagerTest, TheMenuToolbarAndBarsCarryTheirTextsIdsAndKeys)
{
    UseStandardExtenders();
    ASSERT_EQ(Start(), StartResult::Running);
    QList<QAction*> popups = Frame().menuBar()->actions();
    ASSERT_EQ(popups.size(), 4);
    EXPECT_EQ(Items(*popups[0]->menu()),
              (std::vector<std::string>{"57600 &New\tCtrl+N", "57601 &Open...\tCtrl+O", "57603 &Save\tCtrl+S",
                                        "57604 Save &As...", "-", "57665 E&xit"}));
    EXPECT_EQ(
        Items(*popups[1]->menu()),
        (std::vector<std::string>{"1009 Change scheduling...", "32014 Scheduler Options...", "32031 Auto Preview"}));
    EXPECT_EQ(Items(*popups[2]->menu()),
              (std::vector<std::string>{"59392 &Main Toolbar", "59393 &Status Bar", "32040 &Thumbnails"}));
    EXPECT_EQ(Items(*popups[3]->menu()),
              (std::vector<std::string>{"57667 &Help Topics", "57664 &About Vistrel...", "Web resources>2"}));
    std::vector<std::string> titles;
    for (QAction* popup : popups)
        titles.push_back(popup->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"&Image List", "&Options", "&View", "&Help"}));
    EXPECT_TRUE(Frame().Action(ids::kCmdAutoPreview)->isChecked()) << "on from the start";

    const std::pair<int, const char*> keys[] = {{57600, "Ctrl+N"},  {57601, "Ctrl+O"},   {57603, "Ctrl+S"},
                                                {57670, "F1"},      {57669, "Shift+F1"}, {57680, "F6"},
                                                {57681, "Shift+F6"}};
    for (const auto& [id, key] : keys)
        EXPECT_EQ(Frame().Action(id)->shortcut(), QKeySequence(QString::fromLatin1(key))) << id;

    auto* toolbar = Frame().findChild<QToolBar*>("59392");
    ASSERT_NE(toolbar, nullptr);
    std::vector<std::string> buttons;
    for (QAction* action : toolbar->actions())
        buttons.push_back(action->isSeparator() ? "-" : action->objectName().toStdString());
    EXPECT_EQ(buttons,
              (std::vector<std::string>{"57600", "57601", "57603", "-", "32026", "-", "32013", "32014", "-", "57664"}));
    for (QAction* action : toolbar->actions()) {
        if (!action->isSeparator()) {
            EXPECT_EQ(action->icon().pixmap(16, 15).size(), QSize(16, 15)) << action->objectName().toStdString();
        }
    }
    for (int i = 0; i < kToolbarImageCount; ++i)
        EXPECT_FALSE(ToolbarImage(i).isNull()) << i;

    EXPECT_NE(Frame().findChild<QToolBar*>("59397"), nullptr) << "the scheduling bar";
    auto* status = Frame().findChild<QStatusBar*>("59393");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->currentMessage(), "Ready");
    EXPECT_NE(status->findChild<QWidget*>("59137"), nullptr);
    EXPECT_NE(status->findChild<QWidget*>("59138"), nullptr);

    // The panes: tree above preview on the left, the list on the right.
    auto* tree = Frame().findChild<CLeftView*>("59648");
    auto* preview = Frame().findChild<CVistrelPreviewView*>("59664");
    auto* list = Frame().findChild<CVistrelView*>("59649");
    ASSERT_TRUE(tree && preview && list);
    EXPECT_EQ(tree->parentWidget(), preview->parentWidget());
    EXPECT_EQ(static_cast<QSplitter*>(tree->parentWidget())->orientation(), Qt::Vertical);
    // The list's two views, rows and thumbnails, take turns in the right pane.
    EXPECT_EQ(static_cast<QSplitter*>(list->parentWidget()->parentWidget())->orientation(), Qt::Horizontal);
    EXPECT_LT(tree->mapTo(&Frame(), QPoint()).y(), preview->mapTo(&Frame(), QPoint()).y());
    EXPECT_LT(tree->mapTo(&Frame(), QPoint()).x(), list->mapTo(&Frame(), QPoint()).x());
    EXPECT_EQ(app->Preview(), preview);

    Frame().RunCommand(ids::kCmdViewToolbar);
    EXPECT_TRUE(toolbar->isHidden());
    EXPECT_FALSE(Frame().Action(ids::kCmdViewToolbar)->isChecked());
}

TEST(ExtenderPictures, ThirtyTwoBitDibsOfBothRowOrdersReadAndHostileOnesAreRefused)
{
    gmem::Owner bottomUp(Dib(2, 2, 32, 16));
    auto* pixels = static_cast<std::uint8_t*>(gmem::Lock(bottomUp.get())) + 40;
    const std::uint8_t firstRow[4] = {0x10, 0x20, 0x30, 0xFF}; // blue, green, red, alpha
    std::memcpy(pixels, firstRow, 4);
    gmem::Unlock(bottomUp.get());
    QImage image = ImageFromIconDib(bottomUp.get());
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 1), qRgba(0x30, 0x20, 0x10, 0xFF)) << "the first stored row is the bottom one";

    gmem::Owner topDown(Dib(2, -2, 32, 16));
    pixels = static_cast<std::uint8_t*>(gmem::Lock(topDown.get())) + 40;
    std::memcpy(pixels, firstRow, 4);
    gmem::Unlock(topDown.get());
    EXPECT_EQ(ImageFromIconDib(topDown.get()).pixel(0, 0), qRgba(0x30, 0x20, 0x10, 0xFF));

    gmem::Owner shortOfPixels(Dib(16, 16, 32, 16 * 16 * 4 - 1));
    gmem::Owner tooLarge(Dib(4096, 4096, 32, 64));
    gmem::Owner sizeOverflow(Dib(0x40000000, 0x40000000, 32, 64));
    gmem::Owner paletted(Dib(2, 2, 8, 64));
    gmem::Owner compressed(Dib(2, 2, 32, 16, 3));
    gmem::Owner zeroWide(Dib(0, 2, 32, 16));
    gmem::Owner headerOnly(gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, 20));
    for (gmem::Handle bad : {shortOfPixels.get(), tooLarge.get(), sizeOverflow.get(), paletted.get(), compressed.get(),
                             zeroWide.get(), headerOnly.get()})
        EXPECT_TRUE(ImageFromIconDib(bad).isNull());
    EXPECT_TRUE(ImageFromIconDib(nullptr).isNull());
}

TEST(ExtenderPictures, AChainShowsOnlyItsWholeBlocks)
{
    // A count of three, one whole 40-byte block, then a block that claims
    // more than is left.
    std::vector<std::uint8_t> chain(4 + 40 + 44, 0);
    chain[0] = 3;
    chain[4] = 40;
    chain[44] = 200;
    EXPECT_EQ(ChainBlocks(chain.data(), chain.size()).size(), 1u);
    chain[0] = 0xFF;
    chain[1] = chain[2] = chain[3] = 0xFF; // a negative count
    EXPECT_TRUE(ChainBlocks(chain.data(), chain.size()).empty());
    EXPECT_TRUE(ChainBlocks(nullptr, 0).empty());
}
