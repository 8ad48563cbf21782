// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view: the image list as a grid of pictures with the file
// name under each. It shows the same model as the row view with the same
// selection model, so the selection, the current row, the context menu, the
// Delete key, the preview's arming and every command are the same whichever
// of the two shows.
//
// Cells have one fixed size and are laid out as a wrapping list of uniform
// items, so that a list of 100,000 pictures lays out and scrolls as fast as
// ten; a cell asks the ThumbnailLoader for its picture only when painted,
// and draws a frame until the picture is in.
#pragma once

#include "list/image_list_model.h"
#include "list/thumbnail_loader.h"

#include <QAbstractItemDelegate>
#include <QListView>
#include <functional>
#include <vector>

class QMenu;

namespace vistrel::manager {

class ThumbnailDelegate final : public QAbstractItemDelegate {
    Q_OBJECT
public:
    ThumbnailDelegate(const CWallpaperList& list, ThumbnailLoader& loader, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // A cell: the picture's square, a line of text under it, a margin.
    static QSize CellSize(int edge, const QFontMetrics& metrics);

private:
    const CWallpaperList& list_;
    ThumbnailLoader& loader_;
};

class CThumbnailView final : public QListView {
    Q_OBJECT
public:
    // The same arguments as the row view (CVistrelView), and its loader.
    CThumbnailView(ImageListModel& model, ThumbnailLoader& loader, QMenu* contextMenu,
                   std::function<void(int)> sendCommand, std::function<void()> armPreview, QWidget* parent = nullptr);

    std::vector<int> SelectedRows() const;
    int PreviewRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }
    ThumbnailLoader& Loader() { return loader_; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    ThumbnailLoader& loader_;
    QMenu* contextMenu_;
    std::function<void(int)> sendCommand_;
    std::function<void()> armPreview_;
};

} // namespace vistrel::manager
