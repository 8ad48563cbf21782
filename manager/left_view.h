// CLeftView: the upper left pane, home of the folder tree. The tree itself
// (drives, folders, the files a reader claims, its context menus) is not
// here yet: the pane stands in its place with its id and size, and answers
// the frame's questions about the selected tree item with "none".
#pragma once

#include "vistrel/core/extender_registry.h"

#include <QWidget>
#include <string>

namespace vistrel::manager {

class CLeftView final : public QWidget {
    Q_OBJECT
public:
    explicit CLeftView(QWidget* parent = nullptr);

    // The selected tree item, as the insert commands need it.
    struct Selection {
        std::string path;                  // full path; empty when nothing is selected
        bool hasChildren = false;          // a drive or folder: inserted recursively
        bool underExtenders = false;       // an item below the "Extenders" root
        ExtenderHandle extender = nullptr; // the extender an item carries
    };
    Selection SelectedItem() const;
    // Command 32006 "Expand/Collapse" on the selected item.
    void ToggleSelectedItem();

    QSize sizeHint() const override { return {200, 200}; }
};

} // namespace vistrel::manager
