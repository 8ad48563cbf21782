// SPDX-License-Identifier: GPL-3.0-or-later
// CImageTreeCtrl: the program's folder tree control. It shows the folder
// tree's items, reads a folder each time it is expanded, pops up the
// context menus "StubMenu", "Directory" and "File" (and "Extenders" for an
// item that carries an extender), inserts a file on double-click and arms
// the automatic preview when the user clicks or types in it. Its commands go
// to the main frame.
#pragma once

#include "tree/folder_tree_model.h"

#include <QTreeView>
#include <functional>
#include <string>

class QMenu;

namespace vistrel::manager {

class CImageTreeCtrl final : public QTreeView {
    Q_OBJECT
public:
    // `sendCommand` goes to the main frame; `armPreview` is told the full
    // path of the item to preview (empty for none) and restarts the delay.
    CImageTreeCtrl(const CExtenderRegistry& registry, std::function<void(int)> sendCommand,
                   std::function<void(const std::string& path)> armPreview, std::string desktopFolder = {},
                   QWidget* parent = nullptr);

    FolderTreeModel& Model() { return model_; }
    // The selected item, or an invalid index.
    QModelIndex SelectedIndex() const;
    // Menu 131's popup for the selected item: its position, or -1 for no menu.
    int PopupFor(const QModelIndex& index) const;

    // Shows a context menu and returns the item chosen, or null; tests put
    // their own in.
    std::function<QAction*(QMenu& menu, const QPoint& globalPos)> runMenu;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SelectAt(const QPoint& pos);
    void ArmPreview();

    FolderTreeModel model_;
    std::function<void(int)> sendCommand_;
    std::function<void(const std::string&)> armPreview_;
};

} // namespace vistrel::manager
