// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/image_list_model.h"

namespace vistrel::manager {

ImageListModel::ImageListModel(CWallpaperList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), rows_(list.GetCount())
{
    list_.SetObserver(this);
}

ImageListModel::~ImageListModel()
{
    if (list_.Observer() == this)
        list_.SetObserver(nullptr);
}

int ImageListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ImageListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ImageListModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() || index.row() >= list_.GetCount())
        return {};
    // The row's tool tip is its whole path, which a narrow cell cuts.
    const std::string& text = list_.GetText(index.row(), role == Qt::ToolTipRole ? kColFile : index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant ImageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole) {
        std::string_view header = ColumnHeaders()[static_cast<std::size_t>(section)];
        return QString::fromUtf8(header.data(), static_cast<qsizetype>(header.size()));
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ImageListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void ImageListModel::BeginBulk()
{
    if (bulk_++ == 0)
        beginResetModel();
}

void ImageListModel::EndBulk()
{
    if (bulk_ > 0 && --bulk_ == 0) {
        rows_ = list_.GetCount();
        endResetModel();
    }
}

void ImageListModel::BeginAppend() { ++appending_; }

void ImageListModel::EndAppend()
{
    if (appending_ == 0 || --appending_ > 0 || bulk_)
        return;
    const int count = list_.GetCount();
    if (count > rows_) {
        beginInsertRows({}, rows_, count - 1);
        rows_ = count;
        endInsertRows();
    }
}

void ImageListModel::RowsReset()
{
    if (bulk_)
        return;
    beginResetModel();
    rows_ = list_.GetCount();
    endResetModel();
}

void ImageListModel::RowInserted(int index)
{
    if (bulk_ || appending_)
        return;
    beginInsertRows({}, index, index);
    ++rows_;
    endInsertRows();
}

void ImageListModel::RowRemoved(int index)
{
    if (bulk_)
        return;
    beginRemoveRows({}, index, index);
    --rows_;
    endRemoveRows();
}

void ImageListModel::TextChanged(int index, int column)
{
    if (bulk_ || index >= rows_)
        return;
    QModelIndex cell = this->index(index, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void ImageListModel::Modified()
{
    if (onModified)
        onModified();
}

} // namespace vistrel::manager
