// SPDX-License-Identifier: GPL-3.0-or-later
#include "tray_host.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdlib>
#include <string>

#ifdef VISTREL_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#endif
#ifdef VISTREL_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace vistrel::scheduler {

namespace {

// Whether a session bus can be there at all; asking for one that is not
// makes the bus library try (and fail) to connect at every poll.
bool SessionBusConfigured()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool StatusNotifierHostPresent()
{
#ifdef VISTREL_HAVE_QTDBUS
    if (!SessionBusConfigured())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
#else
    return false;
#endif
}

} // namespace

bool TrayHost::UsesXEmbed()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && !StatusNotifierHostPresent();
}

std::uint32_t TrayHost::XEmbedTrayOwner()
{
#ifdef VISTREL_HAVE_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return 0;
    // The tray of the default screen; the scheduler shows one icon.
    std::string name = "_NET_SYSTEM_TRAY_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom)
        return 0;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    std::uint32_t window = owner ? owner->owner : 0;
    free(owner);
    free(atom);
    return window;
#else
    return 0;
#endif
}

} // namespace vistrel::scheduler
