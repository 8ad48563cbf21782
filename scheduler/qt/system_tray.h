// SPDX-License-Identifier: GPL-3.0-or-later
// CSystemTray: the scheduler's notification-area icon, its tooltip and its
// menu 129. Set icon and set tooltip take resource ids and are kept while the
// icon is hidden, so that the next show brings back the current status.
#pragma once

#include "vistrel/scheduler/status_tray.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <memory>

namespace vistrel::scheduler {

class CSystemTray : public QObject, public StatusTray {
    Q_OBJECT
public:
    // `onCommand` receives the command id of a chosen menu item, or of the
    // default item on a double-click.
    CSystemTray(int iconId, std::function<void(int)> onCommand, QObject* parent = nullptr);
    ~CSystemTray() override;

    void SetIcon(int iconId) override;
    void SetTooltip(int stringId) override;
    void Hide() override;
    void Show() override;
    // Brings back an icon a restarted panel lost, without disturbing one the
    // panel still shows.
    void Refresh() override;
    void ShowMessage(const std::string& title, const std::string& text) override;

    int IconId() const { return iconId_; }
    int CurrentIcon() const { return currentIcon_; }
    int CurrentTooltip() const { return currentTooltip_; }
    bool Hidden() const { return hidden_; }
    QMenu* Menu() { return menu_.get(); }
    QSystemTrayIcon& Icon() { return icon_; }

private:
    void ShowIcon();
    void Activated(QSystemTrayIcon::ActivationReason reason);
    void BuildMenu();

    int iconId_;
    std::function<void(int)> onCommand_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon icon_;
    int currentIcon_ = 0;
    int currentTooltip_ = 0;
    bool hidden_ = true;
    bool toldNoTray_ = false;
    std::uint32_t trayOwner_ = 0;
};

} // namespace vistrel::scheduler
