// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/thumbnail_view.h"

#include "app/resource_ids.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace vistrel::manager {

namespace {

constexpr int kMargin = 6;

} // namespace

ThumbnailDelegate::ThumbnailDelegate(const CWallpaperList& list, ThumbnailLoader& loader, QObject* parent)
    : QAbstractItemDelegate(parent), list_(list), loader_(loader)
{
}

QSize ThumbnailDelegate::CellSize(int edge, const QFontMetrics& metrics)
{
    return {edge + 2 * kMargin + 8, edge + 2 * kMargin + metrics.height() + 4};
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return CellSize(loader_.Edge(), option.fontMetrics);
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    if (row < 0 || row >= list_.GetCount())
        return;
    const std::string& raw = list_.GetText(row, kColFile);
    const QString path = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
    const QRect cell = option.rect.adjusted(2, 2, -2, -2);
    const QPalette& palette = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    const bool focused = option.state & QStyle::State_HasFocus;
    const int edge = loader_.Edge();

    painter->save();
    if (selected)
        painter->fillRect(cell, palette.color(QPalette::Highlight));
    const QRect square(cell.left() + (cell.width() - edge) / 2, cell.top() + kMargin - 2, edge, edge);
    bool failed = false;
    if (const QImage* thumbnail = loader_.Thumbnail(path, &failed)) {
        const QSize size = thumbnail->size().scaled(square.size(), Qt::KeepAspectRatio).boundedTo(square.size());
        const QRect target(square.left() + (square.width() - size.width()) / 2,
                           square.top() + (square.height() - size.height()) / 2, size.width(), size.height());
        painter->drawImage(target, *thumbnail);
    } else {
        // Still on its way (a frame), or not a picture any reader reads (a cross).
        painter->setPen(QPen(palette.color(QPalette::Mid), 1, failed ? Qt::SolidLine : Qt::DotLine));
        painter->drawRect(square.adjusted(0, 0, -1, -1));
        if (failed) {
            painter->drawLine(square.topLeft(), square.bottomRight());
            painter->drawLine(square.topRight(), square.bottomLeft());
        }
    }
    const QRect text(cell.left() + 2, square.bottom() + 3, cell.width() - 4, option.fontMetrics.height());
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QString name = QFileInfo(path).fileName();
    painter->drawText(text, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(name, Qt::ElideMiddle, text.width()));
    if (focused) {
        painter->setPen(QPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1, Qt::DotLine));
        painter->drawRect(cell.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

CThumbnailView::CThumbnailView(ImageListModel& model, ThumbnailLoader& loader, QMenu* contextMenu,
                               std::function<void(int)> sendCommand, std::function<void()> armPreview, QWidget* parent)
    : QListView(parent), loader_(loader), contextMenu_(contextMenu), sendCommand_(std::move(sendCommand)),
      armPreview_(std::move(armPreview))
{
    setObjectName(QString::number(ids::kPaneThumbnails));
    // A wrapping list of uniform cells lays out in constant time per row of
    // the grid; the icon mode's free placement would keep a position per item.
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setMovement(QListView::Static);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new ThumbnailDelegate(model.List(), loader_, this));
    setModel(&model);
    setGridSize(ThumbnailDelegate::CellSize(loader_.Edge(), fontMetrics()));
    verticalScrollBar()->setSingleStep(gridSize().height() / 4);
    setMouseTracking(false);
}

std::vector<int> CThumbnailView::SelectedRows() const
{
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CThumbnailView::contextMenuEvent(QContextMenuEvent* event)
{
    if (contextMenu_)
        contextMenu_->exec(event->globalPos());
}

void CThumbnailView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat()) {
        if (sendCommand_)
            sendCommand_(ids::kCmdDeleteSelected);
    } else {
        QListView::keyReleaseEvent(event);
    }
    if (armPreview_)
        armPreview_();
}

void CThumbnailView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && armPreview_)
        armPreview_();
    QListView::mousePressEvent(event);
}

} // namespace vistrel::manager
