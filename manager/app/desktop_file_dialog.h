// SPDX-License-Identifier: GPL-3.0-or-later
// Which file dialog Open and Save As show: the desktop's own where it offers
// one. Through the XDG desktop portal when one runs on the session bus and
// the user chose no platform theme (the desktop's own dialog, whatever its
// toolkit); else through the platform theme Qt picks for the desktop (GTK's
// dialog under GNOME-like desktops, KDE's under Plasma); else Qt's own.
//
// Qt's portal theme shows no dialog at all when the portal fails a request
// (and none for 25 s when it hangs), so a dialog through the portal first
// makes sure the portal answers, watches what it answers, and falls back to
// Qt's own dialog when the user was never asked.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <chrono>
#include <optional>

namespace vistrel::manager {

// Qt's name of the XDG desktop portal's platform theme.
inline constexpr char kPortalTheme[] = "xdgdesktopportal";

// The platform theme the user chose: the -platformtheme argument, else
// QT_QPA_PLATFORMTHEME; empty when neither names one.
QString ChosenPlatformTheme(const QStringList& arguments);

// Whether a desktop portal with a file chooser runs on the session bus and
// answers within `timeout`. A portal that is only installed (activatable)
// is not started for this.
bool FileChooserPortalAnswers(std::chrono::milliseconds timeout);

// The platform theme to start Qt with, decided before the application
// object exists: the portal's when the user chose none and a portal runs;
// otherwise empty (the user's choice or Qt's own pick stands). Notes the
// theme the program runs with for FileDialogsUsePortal.
QString StartupPlatformTheme(const QStringList& arguments);

// Whether the file dialogs go through the portal: the theme noted at start
// (chosen here or by the user), or Qt's own pick inside Flatpak and Snap.
bool FileDialogsUsePortal();
// For tests: the theme the program runs with, as StartupPlatformTheme notes it.
void NotePlatformTheme(const QString& theme);

// Whether a portal's answer to a file dialog shows that the user saw one:
// they chose (0) or cancelled (1). "Other" (2) is the backend failing or the
// dialog's window being closed; only the second takes a person's time. No
// answer at all: the request failed.
bool PortalAskedTheUser(std::optional<unsigned> response, std::chrono::milliseconds after);

// Records the portal's answer to the file dialog open while it lives.
class PortalAnswerWatch final : public QObject {
    Q_OBJECT
public:
    PortalAnswerWatch();
    ~PortalAnswerWatch() override;
    PortalAnswerWatch(const PortalAnswerWatch&) = delete;
    PortalAnswerWatch& operator=(const PortalAnswerWatch&) = delete;

    // Whether the user saw a dialog: false when the portal failed the
    // request (see PortalAskedTheUser). Asked once the dialog has ended.
    bool UserWasAsked();

private slots:
    void Answered(uint response, const QVariantMap& results);

private:
    std::chrono::steady_clock::time_point started_;
    std::optional<unsigned> response_;
    std::chrono::milliseconds after_{0};
    bool connected_ = false;
};

} // namespace vistrel::manager
