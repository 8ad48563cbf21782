// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/left_view.h"

#include "app/resource_ids.h"
#include "tree/image_tree_ctrl.h"

#include <QVBoxLayout>

namespace vistrel::manager {

CLeftView::CLeftView(const CExtenderRegistry& registry, std::function<void(int)> sendCommand,
                     std::function<void(const std::string&)> armPreview, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QString::number(ids::kPaneTree));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tree_ = new CImageTreeCtrl(registry, std::move(sendCommand), std::move(armPreview), {}, this);
    tree_->setObjectName(QStringLiteral("0"));
    layout->addWidget(tree_);
    setFocusProxy(tree_);
}

CLeftView::Selection CLeftView::SelectedItem() const
{
    Selection item;
    const QModelIndex selected = tree_->SelectedIndex();
    if (!selected.isValid())
        return item;
    const FolderTreeModel& model = tree_->Model();
    item.path = model.PathOf(selected);
    item.hasChildren = model.HasChild(selected);
    item.isFolder = model.IsFolder(selected);
    item.underExtenders = selected.parent().isValid() && selected.parent() == model.ExtendersRoot();
    return item;
}

void CLeftView::ToggleSelectedItem()
{
    const QModelIndex selected = tree_->SelectedIndex();
    if (selected.isValid())
        tree_->setExpanded(selected, !tree_->isExpanded(selected));
}

} // namespace vistrel::manager
