// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop_file_dialog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>

#ifdef VISTREL_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#endif

namespace vistrel::manager {

namespace {

QString& NotedTheme()
{
    static QString theme;
    return theme;
}

// The names Qt's portal theme answers to.
bool IsPortalTheme(const QString& theme)
{
    const QString name = theme.toLower();
    return name == QLatin1String(kPortalTheme) || name == QLatin1String("flatpak") || name == QLatin1String("snap");
}

#ifdef VISTREL_HAVE_QTDBUS
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");

// Whether a session bus can be there at all: asking for one that is not
// makes the bus library try to start one (dbus-launch).
bool SessionBusConfigured()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool PortalAnswersOn(QDBusConnection bus, std::chrono::milliseconds timeout)
{
    if (!bus.isConnected())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto remaining = [&] {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 1));
    };
    // Running, not merely installed: a name with an owner.
    QDBusMessage owner =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    owner << kPortalService;
    const QDBusMessage running = bus.call(owner, QDBus::Block, remaining());
    if (running.type() != QDBusMessage::ReplyMessage || !running.arguments().value(0).toBool())
        return false;
    // A portal exports its file chooser only where a back-end offers one.
    QDBusMessage get =
        QDBusMessage::createMethodCall(kPortalService, QStringLiteral("/org/freedesktop/portal/desktop"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.portal.FileChooser") << QStringLiteral("version");
    const QDBusMessage version = bus.call(get, QDBus::Block, remaining());
    return version.type() == QDBusMessage::ReplyMessage && !version.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(version.arguments().constFirst()).variant().toUInt() >= 1;
}
#endif

} // namespace

QString ChosenPlatformTheme(const QStringList& arguments)
{
    // Qt reads the argument over the variable; so does this.
    const qsizetype at = arguments.indexOf(QStringLiteral("-platformtheme"));
    if (at >= 0 && at + 1 < arguments.size())
        return arguments.at(at + 1);
    return qEnvironmentVariable("QT_QPA_PLATFORMTHEME");
}

bool FileChooserPortalAnswers(std::chrono::milliseconds timeout)
{
#ifdef VISTREL_HAVE_QTDBUS
    if (!SessionBusConfigured())
        return false;
    if (QCoreApplication::instance())
        return PortalAnswersOn(QDBusConnection::sessionBus(), timeout);
    // Before the application object: a connection of its own, closed after.
    const QString name = QStringLiteral("vistrel-portal-probe");
    bool answers = PortalAnswersOn(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name), timeout);
    QDBusConnection::disconnectFromBus(name);
    return answers;
#else
    (void)timeout;
    return false;
#endif
}

QString StartupPlatformTheme(const QStringList& arguments)
{
    QString chosen = ChosenPlatformTheme(arguments);
    // A running portal answers within milliseconds; the budget only bounds
    // the start of a program whose session bus hangs.
    QString theme;
    if (chosen.isEmpty() && FileChooserPortalAnswers(std::chrono::milliseconds(500)))
        theme = QLatin1String(kPortalTheme);
    NotePlatformTheme(theme.isEmpty() ? chosen : theme);
    return theme;
}

void NotePlatformTheme(const QString& theme) { NotedTheme() = theme; }

bool FileDialogsUsePortal()
{
    if (!NotedTheme().isEmpty())
        return IsPortalTheme(NotedTheme());
    // Qt picks the portal by itself in a sandbox, as it does.
    return QFileInfo::exists(QStringLiteral("/.flatpak-info")) || qEnvironmentVariableIsSet("SNAP");
}

bool PortalAskedTheUser(std::optional<unsigned> response, std::chrono::milliseconds after)
{
    // Nobody closes a dialog within a quarter of a second of asking for it:
    // it takes longer than that to appear.
    constexpr std::chrono::milliseconds kQuickestPerson(250);
    if (!response)
        return false;
    return *response != 2 || after >= kQuickestPerson;
}

PortalAnswerWatch::PortalAnswerWatch() : started_(std::chrono::steady_clock::now())
{
#ifdef VISTREL_HAVE_QTDBUS
    // The portal answers the connection that asked, which is Qt's session
    // bus connection; the request's path is Qt's to choose, so any.
    connected_ =
        QDBusConnection::sessionBus().connect(QString(), QString(), QStringLiteral("org.freedesktop.portal.Request"),
                                              QStringLiteral("Response"), this, SLOT(Answered(uint, QVariantMap)));
#endif
}

PortalAnswerWatch::~PortalAnswerWatch()
{
#ifdef VISTREL_HAVE_QTDBUS
    if (connected_)
        QDBusConnection::sessionBus().disconnect(QString(), QString(), QStringLiteral("org.freedesktop.portal.Request"),
                                                 QStringLiteral("Response"), this, SLOT(Answered(uint, QVariantMap)));
#endif
}

bool PortalAnswerWatch::UserWasAsked()
{
#ifdef VISTREL_HAVE_QTDBUS
    // The bus thread hands the portal's answer to Qt's dialog and to this
    // watch one after the other, and the dialog may have ended on it before
    // this watch's share is posted. The bus delivers in order: once a round
    // trip's reply is in, everything that came before it has been handed on.
    if (connected_ && !response_) {
        QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
        QDBusConnection::sessionBus().call(ping, QDBus::Block, 1000);
    }
#endif
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return PortalAskedTheUser(response_, after_);
}

void PortalAnswerWatch::Answered(uint response, const QVariantMap&)
{
    if (response_)
        return; // the dialog's own answer came first
    response_ = response;
    after_ = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
}

} // namespace vistrel::manager
