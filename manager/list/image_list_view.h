// SPDX-License-Identifier: GPL-3.0-or-later
// The image list view: CListViewEx draws the rows itself (a selected row is
// highlighted across the whole pane, and only while the list has the
// keyboard focus; the file cell ends with one icon per block of the entry's
// chain), CVistrelView adds the program's input: the context menu, the
// Delete key and the arming of the automatic preview.
//
// Rows have one fixed height and are painted by the delegate; there are no
// widgets per row, so a list of 100,000 entries scrolls as fast as ten.
#pragma once

#include "list/extender_icons.h"
#include "list/image_list_model.h"

#include <QAbstractItemDelegate>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QStaticText>
#include <QTreeView>
#include <functional>
#include <vector>

class QMenu;

namespace vistrel::manager {

// Paints one cell of the image list.
class ImageRowDelegate final : public QAbstractItemDelegate {
    Q_OBJECT
public:
    ImageRowDelegate(const CWallpaperList& list, ExtenderIconCache& icons, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Where the file cell's label (the path and the extender icons) starts,
    // from the cell's left edge: after the row's file icon.
    static constexpr int kLabelStart = 18;
    static int RowHeight(const QFontMetrics& metrics);
    // The path as the file cell shows it in `width` pixels: whole when it
    // fits, else cut in the middle, so that its start and the file name at
    // its end stay readable.
    static QString FileLabel(const QString& path, const QFontMetrics& metrics, int width);

private:
    const QPixmap& FileIcon(const QString& path) const;
    // Draws the text left-aligned and vertically centred in `area`, cut with
    // an ellipsis when too long. `repeated`: a text many rows share.
    void DrawCellText(QPainter* painter, const QRect& area, const QString& text, const QFontMetrics& metrics,
                      bool repeated, Qt::TextElideMode elide = Qt::ElideRight) const;
    int EstimatedWidth(const QString& text, const QFontMetrics& metrics) const;

    const CWallpaperList& list_;
    ExtenderIconCache& icons_;
    // The row icons by file ending: asking the icon provider per row would
    // touch the disk for every row painted.
    mutable QHash<QString, QPixmap> fileIcons_;
    QFileIconProvider iconProvider_;
    mutable QFont cachedFont_;
    mutable QHash<char16_t, int> advances_;
    mutable QHash<QString, QStaticText> staticTexts_;
};

class CListViewEx : public QTreeView {
    Q_OBJECT
public:
    explicit CListViewEx(QWidget* parent = nullptr);

    // The selected rows, ascending.
    std::vector<int> SelectedRows() const;
    // Invalidates the focused and the selected rows and paints them at once.
    void RepaintSelectedRows();

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // A selected row is highlighted to the pane's right edge, so a change of
    // the selection repaints its rows that far, not only their columns
    // (Select All would leave the strip right of the last column unlit).
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class CVistrelView final : public CListViewEx {
    Q_OBJECT
public:
    // `contextMenu` may be null (nothing pops up then); `sendCommand` goes to
    // the main frame; `armPreview` tells the preview pane and restarts the
    // preview delay.
    CVistrelView(ImageListModel& model, ExtenderIconCache& icons, QMenu* contextMenu,
                 std::function<void(int)> sendCommand, std::function<void()> armPreview, QWidget* parent = nullptr);

    // The row the preview shows when its delay ends: the current row, or -1.
    int PreviewRow() const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QMenu* contextMenu_;
    std::function<void(int)> sendCommand_;
    std::function<void()> armPreview_;
};

} // namespace vistrel::manager
