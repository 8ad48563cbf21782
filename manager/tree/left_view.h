// SPDX-License-Identifier: GPL-3.0-or-later
// CLeftView: the upper left pane, home of the folder tree (CImageTreeCtrl),
// which fills it. It answers the frame's questions about the selected tree
// item and carries out "Expand/Collapse" (32006).
#pragma once

#include "vistrel/core/extender_registry.h"

#include <QWidget>
#include <functional>
#include <string>

namespace vistrel::manager {

class CImageTreeCtrl;

class CLeftView final : public QWidget {
    Q_OBJECT
public:
    // `sendCommand` goes to the main frame; `armPreview` hands the preview
    // pane the full path of the item clicked and restarts the preview delay.
    CLeftView(const CExtenderRegistry& registry, std::function<void(int)> sendCommand,
              std::function<void(const std::string& path)> armPreview, QWidget* parent = nullptr);

    // The selected tree item, as the insert commands need it.
    struct Selection {
        std::string path;                  // full path; empty when nothing (or a root that is no folder) is selected
        bool hasChildren = false;          // a drive or folder not read yet or not empty, "Drives"
        bool isFolder = false;             // a drive, the desktop or a folder: inserted recursively
        bool underExtenders = false;       // an item below the "Extenders" root
        ExtenderHandle extender = nullptr; // the extender an item carries
    };
    Selection SelectedItem() const;
    // Command 32006 "Expand/Collapse" on the selected item.
    void ToggleSelectedItem();

    CImageTreeCtrl* Tree() const { return tree_; }
    QSize sizeHint() const override { return {200, 200}; }

private:
    CImageTreeCtrl* tree_;
};

} // namespace vistrel::manager
