// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/image_list_view.h"

#include "app/resource_ids.h"

#include <QContextMenuEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStaticText>
#include <algorithm>

namespace vistrel::manager {

namespace {

constexpr int kColumnWidths[kColumnCount] = {300, 50, 50, 50, 50};

// Twice the width of a blank: the room left around each cell's text.
int TextOffset(const QFontMetrics& metrics);

// The widths were made for the classic 8-point dialog font; with a larger
// font they grow in step. The measure is the word "image" (the type of every
// bitmap entry) with the room around it, which took 40 of its column's 50
// pixels in that font.
int ColumnWidth(int column, const QFontMetrics& metrics)
{
    const int needed = metrics.horizontalAdvance(QStringLiteral("image")) + 2 * TextOffset(metrics);
    return kColumnWidths[column] * std::max(40, needed) / 40;
}

// Twice the width of a blank: the room left around each cell's text.
int TextOffset(const QFontMetrics& metrics) { return 2 * metrics.horizontalAdvance(QLatin1Char(' ')); }

} // namespace

ImageRowDelegate::ImageRowDelegate(const CWallpaperList& list, ExtenderIconCache& icons, QObject* parent)
    : QAbstractItemDelegate(parent), list_(list), icons_(icons)
{
}

int ImageRowDelegate::RowHeight(const QFontMetrics& metrics)
{
    return std::max(metrics.height(), ExtenderIconCache::kSize) + 2;
}

QSize ImageRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return {index.column() < kColumnCount ? ColumnWidth(index.column(), option.fontMetrics) : 50,
            RowHeight(option.fontMetrics)};
}

const QPixmap& ImageRowDelegate::FileIcon(const QString& path) const
{
    QString ending = QFileInfo(path).suffix().toLower();
    auto found = fileIcons_.find(ending);
    if (found == fileIcons_.end()) {
        QIcon icon = iconProvider_.icon(QFileInfo(path));
        if (icon.isNull())
            icon = iconProvider_.icon(QFileIconProvider::File);
        found = fileIcons_.insert(ending, icon.pixmap(ExtenderIconCache::kSize, ExtenderIconCache::kSize));
    }
    return *found;
}

int ImageRowDelegate::EstimatedWidth(const QString& text, const QFontMetrics& metrics) const
{
    // Shaping a text is what painting a row costs, so whether it fits is
    // judged from the advances of its characters, kept per character.
    int width = 0;
    for (QChar c : text) {
        if (c.isSurrogate())
            return metrics.horizontalAdvance(text);
        auto found = advances_.find(c.unicode());
        if (found == advances_.end())
            found = advances_.insert(c.unicode(), metrics.horizontalAdvance(c));
        width += *found;
    }
    return width;
}

QString ImageRowDelegate::FileLabel(const QString& path, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    // The folders give way, from their middle, before the file name does.
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString name = slash >= 0 ? path.mid(slash) : path;
    const int room = width - metrics.horizontalAdvance(name);
    if (slash > 0 && room > metrics.horizontalAdvance(QStringLiteral("/\u2026/"))) {
        const QString folders = metrics.elidedText(path.left(slash), Qt::ElideMiddle, room);
        if (!folders.isEmpty())
            return folders + name;
    }
    // Too narrow even for the name: its end, with the ending, stays.
    return metrics.elidedText(path, Qt::ElideLeft, width);
}

void ImageRowDelegate::DrawCellText(QPainter* painter, const QRect& area, const QString& text,
                                    const QFontMetrics& metrics, bool repeated, Qt::TextElideMode elide) const
{
    if (area.width() <= 0 || text.isEmpty())
        return;
    if (painter->font() != cachedFont_) {
        cachedFont_ = painter->font();
        advances_.clear();
        staticTexts_.clear();
    }
    const int top = area.top() + (area.height() - metrics.height()) / 2;
    // A little room for what kerning may add.
    const bool fits = EstimatedWidth(text, metrics) + 2 <= area.width();
    if (fits && repeated) {
        // "image", "0", "50" come back on every row: laid out once.
        auto found = staticTexts_.find(text);
        if (found == staticTexts_.end()) {
            if (staticTexts_.size() > 4096)
                staticTexts_.clear();
            QStaticText prepared(text);
            prepared.setTextFormat(Qt::PlainText);
            prepared.prepare(QTransform(), painter->font());
            found = staticTexts_.insert(text, prepared);
        }
        painter->drawStaticText(area.left(), top, *found);
        return;
    }
    painter->drawText(QPointF(area.left(), top + metrics.ascent()),
                      fits ? text : metrics.elidedText(text, elide, area.width()));
}

void ImageRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row(), column = index.column();
    if (row < 0 || row >= list_.GetCount() || column < 0 || column >= kColumnCount)
        return;
    const bool highlighted = option.state & QStyle::State_Selected;
    const QFontMetrics& metrics = option.fontMetrics;
    const int offset = TextOffset(metrics);
    const std::string& raw = list_.GetText(row, column);
    const QString text = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
    const QRect cell = option.rect;

    painter->save();
    painter->setClipRect(cell);
    painter->setPen(option.palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
    if (column == kColFile) {
        const int iconSize = ExtenderIconCache::kSize;
        const QRect iconRect(cell.left() + 1, cell.top() + (cell.height() - iconSize) / 2, iconSize, iconSize);
        painter->drawPixmap(iconRect.topLeft(), FileIcon(text));
        QRect label(cell.left() + kLabelStart, cell.top(), cell.width() - kLabelStart, cell.height());
        label.adjust(offset / 2, 0, -offset, 0);
        // The extender icons stand right-aligned at the label's end, in chain
        // order; an icon that cannot be had still takes its place. The path
        // stops short of them, cut in the middle when it is too long, so that
        // neither its file name nor the ellipsis hides under an icon.
        auto blocks = ChainBlocks(list_.GetChain(row), list_.GetChainBytes(row));
        const int iconsWidth = static_cast<int>(blocks.size()) * iconSize;
        QRect pathArea = label.adjusted(0, 0, -(iconsWidth > 0 ? iconsWidth + offset / 2 : 0), 0);
        if (EstimatedWidth(text, metrics) + 2 <= pathArea.width())
            DrawCellText(painter, pathArea, text, metrics, false);
        else // shaped only for the rows that need cutting
            DrawCellText(painter, pathArea, FileLabel(text, metrics, pathArea.width() - 2), metrics, false,
                         Qt::ElideNone);
        int right = label.right() + 1;
        const int top = cell.top() + (cell.height() - iconSize) / 2;
        for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) {
            right -= iconSize;
            const QPixmap& icon = icons_.IconOf(*block);
            if (!icon.isNull())
                painter->drawPixmap(right, top, icon);
        }
    } else {
        DrawCellText(painter, cell.adjusted(offset, 0, -offset, 0), text, metrics, true);
    }
    painter->restore();
}

CListViewEx::CListViewEx(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

std::vector<int> CListViewEx::SelectedRows() const
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

void CListViewEx::RepaintSelectedRows() { viewport()->repaint(); }

QRegion CListViewEx::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const int width = viewport()->width(), height = viewport()->height();
    for (const QItemSelectionRange& range : selection) {
        // Only the rows on screen: a Select All of 100,000 rows makes one band.
        const QRect top = visualRect(model()->index(range.top(), 0));
        const QRect bottom = visualRect(model()->index(range.bottom(), 0));
        if (!top.isValid() && !bottom.isValid())
            continue;
        const int from = top.isValid() ? std::max(0, top.top()) : 0;
        const int to = bottom.isValid() ? std::min(height - 1, bottom.bottom()) : height - 1;
        if (from <= to)
            region += QRect(0, from, width, to - from + 1);
    }
    return region;
}

void CListViewEx::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    const bool focused = hasFocus();
    const bool highlighted = focused && selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
    const QRect bounds(0, option.rect.top(), viewport()->width(), option.rect.height());
    // The highlight runs from the file label's left edge to the pane's right
    // edge, however narrow the columns are.
    const int labelLeft = columnViewportPosition(kColFile) + ImageRowDelegate::kLabelStart;
    const QRect highlight(labelLeft, bounds.top(), std::max(0, bounds.right() - labelLeft + 1), bounds.height());
    const QPalette& palette = option.palette;
    // The viewport has painted the window colour behind every row already.
    if (highlighted)
        painter->fillRect(highlight, palette.color(QPalette::Highlight));

    QStyleOptionViewItem cellOption = option;
    cellOption.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    if (highlighted)
        cellOption.state |= QStyle::State_Selected;
    for (int column = 0; column < kColumnCount; ++column) {
        if (header()->isSectionHidden(column))
            continue;
        cellOption.rect = QRect(columnViewportPosition(column), bounds.top(), columnWidth(column), bounds.height());
        if (cellOption.rect.right() < 0 || cellOption.rect.left() > bounds.right())
            continue;
        itemDelegate()->paint(painter, cellOption, model()->index(row, column));
    }

    if (focused && currentIndex().isValid() && currentIndex().row() == row) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = highlight;
        focus.backgroundColor = palette.color(highlighted ? QPalette::Highlight : QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
}

void CListViewEx::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    RepaintSelectedRows();
}

void CListViewEx::focusOutEvent(QFocusEvent* event)
{
    QTreeView::focusOutEvent(event);
    RepaintSelectedRows();
}

CVistrelView::CVistrelView(ImageListModel& model, ExtenderIconCache& icons, QMenu* contextMenu,
                           std::function<void(int)> sendCommand, std::function<void()> armPreview, QWidget* parent)
    : CListViewEx(parent), contextMenu_(contextMenu), sendCommand_(std::move(sendCommand)),
      armPreview_(std::move(armPreview))
{
    setObjectName(QString::number(ids::kPaneList));
    setItemDelegate(new ImageRowDelegate(model.List(), icons, this));
    setModel(&model);
    for (int column = 0; column < kColumnCount; ++column) {
        header()->setSectionResizeMode(column, QHeaderView::Interactive);
        header()->resizeSection(column, ColumnWidth(column, fontMetrics()));
    }
}

int CVistrelView::PreviewRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void CVistrelView::contextMenuEvent(QContextMenuEvent* event)
{
    if (contextMenu_)
        contextMenu_->exec(event->globalPos());
}

void CVistrelView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat()) {
        if (sendCommand_)
            sendCommand_(ids::kCmdDeleteSelected);
    } else {
        CListViewEx::keyReleaseEvent(event);
    }
    if (armPreview_)
        armPreview_();
}

void CVistrelView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && armPreview_)
        armPreview_();
    CListViewEx::mousePressEvent(event);
}

} // namespace vistrel::manager
