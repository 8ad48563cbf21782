// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_tray.h"

#include "artwork.h"
#include "tray_host.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/texts.h"

#include <QAction>
#include <QFont>

#include <cstdio>

namespace vistrel::scheduler {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

CSystemTray::CSystemTray(int iconId, std::function<void(int)> onCommand, QObject* parent)
    : QObject(parent), iconId_(iconId), onCommand_(std::move(onCommand))
{
    icon_.setObjectName(QString::number(iconId));
    BuildMenu();
    icon_.setContextMenu(menu_.get());
    connect(&icon_, &QSystemTrayIcon::activated, this, &CSystemTray::Activated);
}

CSystemTray::~CSystemTray() { icon_.hide(); }

void CSystemTray::BuildMenu()
{
    menu_ = std::make_unique<QMenu>();
    menu_->setObjectName(QString::number(ids::kMenuTray));
    auto add = [this](int id) {
        QAction* action = menu_->addAction(Q(Text(id)));
        action->setObjectName(QString::number(id));
        connect(action, &QAction::triggered, this, [this, id] { onCommand_(id); });
        return action;
    };
    QAction* toggle = add(ids::kCmdToggleActive);
    QFont bold = toggle->font();
    bold.setBold(true);
    toggle->setFont(bold);
    menu_->setDefaultAction(toggle);
    menu_->addSeparator();
    add(ids::kCmdOpenManager);
    add(ids::kCmdMoreOptions)->setEnabled(false);
    add(ids::kCmdChangeNow);
    menu_->addSeparator();
    add(ids::kCmdClose);
}

void CSystemTray::Activated(QSystemTrayIcon::ActivationReason reason)
{
    // A double-click chooses the default item: "Scheduler ON/OFF".
    if (reason == QSystemTrayIcon::DoubleClick)
        onCommand_(menu_->defaultAction()->objectName().toInt());
}

void CSystemTray::SetIcon(int iconId)
{
    if (iconId == currentIcon_)
        return;
    currentIcon_ = iconId;
    icon_.setIcon(StatusIcon(iconId));
    // The icon is added once it has an image to show.
    if (!hidden_ && !icon_.isVisible())
        ShowIcon();
}

void CSystemTray::ShowIcon()
{
    icon_.show();
    // Without a notification area (no StatusNotifier host on a session bus,
    // no system tray on the display) nothing shows the icon: said once, and
    // the wallpapers go on changing.
    if (!toldNoTray_ && !QSystemTrayIcon::isSystemTrayAvailable()) {
        toldNoTray_ = true;
        std::fputs("Vistrel_Scheduler: no notification area was found; the scheduler keeps changing wallpapers "
                   "without an icon.\n",
                   stderr);
    }
}

void CSystemTray::SetTooltip(int stringId)
{
    if (stringId == currentTooltip_)
        return;
    currentTooltip_ = stringId;
    icon_.setToolTip(Q(Text(stringId)));
}

void CSystemTray::Hide()
{
    if (hidden_)
        return;
    icon_.hide();
    hidden_ = true;
}

void CSystemTray::Show()
{
    if (!hidden_)
        return;
    hidden_ = false;
    trayOwner_ = TrayHost::XEmbedTrayOwner();
    if (currentIcon_ != 0)
        ShowIcon();
}

void CSystemTray::Refresh()
{
    if (hidden_ || currentIcon_ == 0)
        return;
    bool readd = !icon_.isVisible();
    if (TrayHost::UsesXEmbed()) {
        // An XEmbed tray forgets its icons when it is restarted: a new owner
        // of the tray selection means a new tray.
        std::uint32_t owner = TrayHost::XEmbedTrayOwner();
        readd = readd || (owner != 0 && owner != trayOwner_);
    }
    if (!readd)
        return;
    Hide();
    Show();
}

void CSystemTray::ShowMessage(const std::string& title, const std::string& text)
{
    icon_.showMessage(Q(title), Q(text), QSystemTrayIcon::Warning, 15000);
}

} // namespace vistrel::scheduler
