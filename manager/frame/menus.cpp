// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/menus.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_command.h"

namespace vistrel::manager {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString WithoutAmpersands(QString text) { return text.remove(QLatin1Char('&')); }

QMenu* NewPopup(std::string_view title, QWidget* parent)
{
    auto* menu = new QMenu(Q(title), parent);
    menu->setObjectName(Q(title));
    return menu;
}

void AddCommands(QMenu& menu, std::initializer_list<int> ids)
{
    for (int id : ids) {
        if (id == 0)
            menu.addSeparator();
        else
            AddCommand(menu, id);
    }
}

// A copy of a plain item or separator, with its state, id and text.
void CopyItem(QMenu& destination, const QAction& item)
{
    if (item.isSeparator()) {
        destination.addSeparator();
        return;
    }
    QAction* copy = destination.addAction(item.text());
    copy->setObjectName(item.objectName());
    copy->setData(item.data());
    copy->setEnabled(item.isEnabled());
    copy->setCheckable(item.isCheckable());
    copy->setChecked(item.isChecked());
}

} // namespace

QAction* AddCommand(QMenu& menu, int id)
{
    QAction* action = menu.addAction(Q(Text(id)));
    action->setObjectName(QString::number(id));
    action->setData(id);
    return action;
}

QMenu* ContextPopup(int position, QWidget* parent)
{
    QMenu* menu = nullptr;
    switch (position) {
    case ids::kPopupFile:
        menu = NewPopup(texts::kPopupFile, parent);
        AddCommands(*menu, {ids::kCmdInsert, ids::kCmdInsertDup});
        break;
    case ids::kPopupDirectory:
        menu = NewPopup(texts::kPopupDirectory, parent);
        AddCommands(*menu, {ids::kCmdInsertNoDup, ids::kCmdInsertAll, ids::kCmdExpandCollapse});
        break;
    case ids::kPopupExtenders:
        menu = NewPopup(texts::kPopupExtenders, parent);
        AddCommands(*menu, {ids::kCmdInsertDialog, ids::kCmdExtenderInfo});
        break;
    case ids::kPopupStub:
        menu = NewPopup(texts::kPopupStub, parent);
        AddCommands(*menu, {ids::kCmdExpandCollapse});
        break;
    case ids::kPopupListView: {
        menu = NewPopup(texts::kPopupListView, parent);
        AddCommands(*menu, {0, ids::kCmdChangeNow, 0});
        QMenu* advanced = NewPopup(texts::kPopupAdvanced, menu);
        AddCommands(*advanced, {ids::kCmdSelectAll, 0, ids::kCmdDeleteSelected, 0, ids::kCmdSetPriority,
                                ids::kCmdResetShown, ids::kCmdResetTotals});
        menu->addMenu(advanced);
        break;
    }
    default: break;
    }
    return menu;
}

void MergeMenu(QMenu& destination, const QMenu& source, bool topLevel)
{
    const QList<QAction*> items = source.actions();
    if (items.isEmpty())
        return;
    if (!topLevel && !destination.actions().isEmpty())
        destination.addSeparator();
    for (const QAction* item : items) {
        const QMenu* popup = item->menu();
        if (!popup) {
            CopyItem(destination, *item);
            continue;
        }
        const QString name = WithoutAmpersands(item->text());
        if (topLevel) {
            QMenu* same = nullptr;
            for (QAction* existing : destination.actions())
                if (existing->menu() && WithoutAmpersands(existing->text()) == name) {
                    same = existing->menu();
                    break;
                }
            if (same) {
                MergeMenu(*same, *popup, false);
                continue;
            }
        }
        QMenu* fresh = new QMenu(item->text(), &destination);
        fresh->setObjectName(popup->objectName());
        MergeMenu(*fresh, *popup, false);
        QAction* before = nullptr;
        if (topLevel)
            for (QAction* existing : destination.actions()) {
                QString text = WithoutAmpersands(existing->text());
                if (text == QLatin1String("Window") || text == QLatin1String("?") || text == QLatin1String("Help")) {
                    before = existing;
                    break;
                }
            }
        destination.insertMenu(before, fresh);
    }
}

std::vector<ExtenderCommandRecord> AddExtenderCommands(const CExtenderRegistry& registry, QMenu& menu)
{
    std::vector<ExtenderCommandRecord> records;
    auto addKind = [&](ExtenderKind kind) {
        for (ExtenderHandle extender : registry.Extenders(kind)) {
            const char* type = ext::ReturnType(extender);
            const char* name = ext::ShortName(extender);
            std::vector<std::string> commands = MenuCommands(extender);
            for (std::size_t i = 0; i < commands.size(); ++i) {
                const int id = records.empty() ? ids::kFirstExtenderCommand : records.back().id + 1;
                records.push_back({id, extender, type ? type : "", name ? name : "", static_cast<int>(i)});
                QAction* action = menu.addAction(QString::fromUtf8(commands[i].c_str()));
                action->setObjectName(QString::number(id));
                action->setData(id);
            }
        }
    };
    addKind(ExtenderKind::Middle);
    menu.addSeparator();
    addKind(ExtenderKind::Viewer);
    return records;
}

void ForEachCommand(const QMenu& menu, const std::function<void(QAction*)>& visit)
{
    for (QAction* action : menu.actions()) {
        if (action->menu())
            ForEachCommand(*action->menu(), visit);
        else if (!action->isSeparator())
            visit(action);
    }
}

int CommandOf(const QAction* action) { return action ? action->data().toInt() : 0; }

} // namespace vistrel::manager
