// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/image_tree_ctrl.h"

#include "app/resource_ids.h"
#include "frame/menus.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <memory>

namespace vistrel::manager {

CImageTreeCtrl::CImageTreeCtrl(const CExtenderRegistry& registry, std::function<void(int)> sendCommand,
                               std::function<void(const std::string&)> armPreview, std::string desktopFolder,
                               QWidget* parent)
    : QTreeView(parent), model_(registry, std::move(desktopFolder)), sendCommand_(std::move(sendCommand)),
      armPreview_(std::move(armPreview))
{
    setHeaderHidden(true);
    setUniformRowHeights(true); // big folders: no per-row height questions
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(true);
    setModel(&model_);
    // Every expansion reads the folder again; collapsing keeps the children.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { model_.Fill(index); });
    runMenu = [](QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); };
}

QModelIndex CImageTreeCtrl::SelectedIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current : QModelIndex();
}

int CImageTreeCtrl::PopupFor(const QModelIndex& index) const
{
    if (!index.isValid() || index.data(Qt::DisplayRole).toString().isEmpty())
        return -1;
    switch (model_.KindOf(index)) {
    case FolderTreeModel::Kind::ExtendersRoot:
    case FolderTreeModel::Kind::DrivesRoot: return ids::kPopupStub;
    default: break;
    }
    // No item carries an extender, so the "Extenders" popup never comes up.
    return model_.HasChild(index) ? ids::kPopupDirectory : ids::kPopupFile;
}

void CImageTreeCtrl::SelectAt(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    } else {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void CImageTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        // The menu is for the item under the pointer; over no item, for none.
        SelectAt(event->position().toPoint());
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CImageTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        SelectAt(event->position().toPoint());
        ArmPreview();
    }
}

void CImageTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event); // toggles a folder
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex selected = SelectedIndex();
    if (selected.isValid() && model_.KindOf(selected) == FolderTreeModel::Kind::File && sendCommand_)
        sendCommand_(ids::kCmdInsert);
}

void CImageTreeCtrl::keyReleaseEvent(QKeyEvent* event)
{
    // The keyboard's selection stays: the preview is of the item the keys
    // moved to, not of the one under a resting mouse pointer.
    QTreeView::keyReleaseEvent(event);
    ArmPreview();
}

void CImageTreeCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    const int position = PopupFor(SelectedIndex());
    if (position < 0)
        return;
    std::unique_ptr<QMenu> menu(ContextPopup(position, this));
    QAction* chosen = runMenu ? runMenu(*menu, event->globalPos()) : nullptr;
    const int command = CommandOf(chosen);
    if (command != 0 && sendCommand_)
        sendCommand_(command);
}

void CImageTreeCtrl::ArmPreview()
{
    const QModelIndex selected = SelectedIndex();
    if (armPreview_)
        armPreview_(selected.isValid() ? model_.PathOf(selected) : std::string());
}

} // namespace vistrel::manager
