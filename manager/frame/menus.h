// SPDX-License-Identifier: GPL-3.0-or-later
// Menus: the context menus of menu 131, the merge rule that puts a popup
// into another, and the list's context menu made of the extenders' commands
// and the "ListView" popup.
#pragma once

#include "vistrel/core/extender_registry.h"

#include <QMenu>
#include <functional>
#include <string>
#include <vector>

namespace vistrel::manager {

// A command an extender contributes to the list's context menu.
struct ExtenderCommandRecord {
    int id = 0;                        // from 30000 on
    ExtenderHandle extender = nullptr; // a middle or viewer extender
    std::string returnType;            // the extender's returnType
    std::string shortName;             // the extender's shortname
    int index = 0;                     // position in its MenuDefinition
};

// A menu item that sends command `id`: its text from the texts table, its id
// as objectName and data.
QAction* AddCommand(QMenu& menu, int id);

// Popup `position` of menu 131 ("File", "Directory", "Extenders",
// "StubMenu", "ListView"), newly made; null for another position.
QMenu* ContextPopup(int position, QWidget* parent = nullptr);

// Merges `source` into `destination`. Top level: popups go into a popup of
// the same text (ignoring "&"), else into a new popup placed before
// "Window", "?" or "Help"; inner level: a separator first when the
// destination has items, popups always new and at the end.
void MergeMenu(QMenu& destination, const QMenu& source, bool topLevel);

// Adds every middle extender's commands, a separator, then every viewer
// extender's commands to `menu`, with consecutive ids from 30000; returns
// their records in creation order.
std::vector<ExtenderCommandRecord> AddExtenderCommands(const CExtenderRegistry& registry, QMenu& menu);

// Calls `visit` for every command item of the menu and its popups.
void ForEachCommand(const QMenu& menu, const std::function<void(QAction*)>& visit);

// The command id an item carries, or 0.
int CommandOf(const QAction* action);

} // namespace vistrel::manager
