// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop portal whose file chooser's back-end broke: it runs on the
// session bus, says it has a file chooser (version 3) and fails every
// request to show one. The list manager's file dialog test starts it to see
// that the user still gets a dialog.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {

class FailingPortal final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QList<QVariant> arguments = message.arguments();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") &&
            message.member() == QLatin1String("Get") && arguments.size() == 2 &&
            arguments[0].toString() == QLatin1String("org.freedesktop.portal.FileChooser") &&
            arguments[1].toString() == QLatin1String("version"))
            return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(3u))));
        if (message.interface() == QLatin1String("org.freedesktop.portal.FileChooser"))
            return connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                                            QStringLiteral("the file chooser's back-end failed")));
        return connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                                        QStringLiteral("not in this portal")));
    }
};

} // namespace

int main(int argc, char** argv)
{
    // Ends with the test that started it, even one cut short.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FailingPortal portal;
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "failing_portal: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    return QCoreApplication::exec();
}
