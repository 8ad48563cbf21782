// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's application object: start-up in its fixed order (the
// single-instance guard, settings and the recent-file list, the extenders,
// the list's context menu, the document, the command line, the main window,
// the last list, the scheduler), the application-wide commands (About,
// Scheduler Options, the web pages) and the exit.
#pragma once

#include "app/command_line.h"
#include "app/prompts.h"
#include "frame/menus.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/instance_guard.h"
#include "vistrel/core/scheduler_settings.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QSocketNotifier;

namespace vistrel::manager {

class CMainFrame;
class CVistrelDoc;
class CVistrelPreviewView;

// Where the program's pages are: the project's web site when it has one;
// until then its pages are the installed manual (the README).
inline constexpr std::string_view kWebSiteAddress = "";
// Freely licensed photographs to make lists of.
inline constexpr std::string_view kFreePhotosPage = "https://commons.wikimedia.org/wiki/Commons:Featured_pictures";

struct AppOptions {
    std::string programDirectory; // empty: the running program's folder
    QStringList arguments;        // the command line after the program's name
    // Starts the scheduler program; empty: a process of its own.
    std::function<bool(const std::string& program)> startProgram;
    // Opens a page in the user's browser; empty: the desktop's default way.
    std::function<void(const QUrl&)> openUrl;
    Prompts* prompts = nullptr; // null: message boxes and file dialogs
};

enum class StartResult {
    Running,    // the main window is up
    SecondCopy, // another copy runs and was handed the command line
    Failed,     // no scheduler extender, or the list named could not be opened
};

class CVistrelApp final : public QObject {
    Q_OBJECT
public:
    explicit CVistrelApp(AppOptions options);
    // The exit: the window goes, the extenders are unloaded, the recent-file
    // list is written.
    ~CVistrelApp() override;

    StartResult InitInstance();

    CMainFrame* MainFrame() const { return frame_.get(); }
    CVistrelDoc& Document() { return *doc_; }
    const CExtenderRegistry& Registry() const { return registry_; }
    const std::string& ProgramDirectory() const { return programDirectory_; }
    RecentFileList& RecentFiles() { return recent_; }
    Prompts& Ui() { return *prompts_; }

    // The list's context menu and its extender commands.
    QMenu* ContextMenu() const { return contextMenu_.get(); }
    const std::vector<ExtenderCommandRecord>& ExtenderCommands() const { return records_; }
    const ExtenderCommandRecord* FindExtenderCommand(int id) const;

    bool AutoPreview() const { return autoPreview_; }
    void SetAutoPreview(bool on) { autoPreview_ = on; }
    CVistrelPreviewView* Preview() const { return preview_; }
    void SetPreview(CVistrelPreviewView* preview) { preview_ = preview; }

    // Application commands.
    void OnAppAbout();
    void OpenWebPage(int commandId);
    // The texts of the About box.
    QString AboutProgramText() const;
    QString AboutPartsText() const;
    // The address a page command (32020, 32023, help) opens.
    QUrl PageAddress(int commandId) const;
    void OpenUrl(const QUrl& url);

    void StartScheduler();

private:
    void TakeSecondStarts();
    void HandleSecondStart(const std::string& handOver);
    QUrl ManualPage() const;

    AppOptions options_;
    std::unique_ptr<Prompts> ownPrompts_;
    Prompts* prompts_;
    std::string programDirectory_;
    CInstanceGuard guard_;
    bool guardHeld_ = false;
    QSocketNotifier* secondStarts_ = nullptr;
    std::deque<std::string> pendingStarts_;
    bool takingStarts_ = false;
    RecentFileList recent_;
    CExtenderRegistry registry_;
    std::vector<ExtenderCommandRecord> records_;
    std::unique_ptr<QMenu> contextMenu_;
    std::unique_ptr<CVistrelDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    CVistrelPreviewView* preview_ = nullptr;
    bool autoPreview_ = true;
};

} // namespace vistrel::manager
