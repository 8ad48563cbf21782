// SPDX-License-Identifier: GPL-3.0-or-later
// The image list as a table model for the list view: it reads the texts
// straight from the document's CWallpaperList (keeping no copy of them) and
// follows the list's changes through the list's observer calls.
#pragma once

#include "vistrel/core/wallpaper_list.h"

#include <QAbstractTableModel>
#include <functional>

namespace vistrel::manager {

class ImageListModel final : public QAbstractTableModel, public ListObserver {
    Q_OBJECT
public:
    explicit ImageListModel(CWallpaperList& list, QObject* parent = nullptr);
    ~ImageListModel() override;

    CWallpaperList& List() { return list_; }
    const CWallpaperList& List() const { return list_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Loading or walking many files: row by row notices cost more than one
    // reset, so they are held back until EndBulk, which resets the views.
    void BeginBulk();
    void EndBulk();
    // Appending a batch of rows: the views hear of them once, as one range,
    // at EndAppend (their scroll position and selection stay).
    void BeginAppend();
    void EndAppend();

    // Called when the list changed in a way its owner must save.
    std::function<void()> onModified;

private:
    // ListObserver
    void RowsReset() override;
    void RowInserted(int index) override;
    void RowRemoved(int index) override;
    void TextChanged(int index, int column) override;
    void Modified() override;

    CWallpaperList& list_;
    // The row count the views know. It trails the list by one row between
    // the list's change and its notice, so the views never ask for a row
    // the model has not announced.
    int rows_ = 0;
    int bulk_ = 0;
    int appending_ = 0;
};

} // namespace vistrel::manager
