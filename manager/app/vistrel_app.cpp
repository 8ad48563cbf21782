// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/vistrel_app.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "app/vistrel_doc.h"
#include "dialogs/about_dialog.h"
#include "frame/main_frame.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSocketNotifier>
#include <QTextDocument>

#ifndef VISTREL_PRODUCT_VERSION
#define VISTREL_PRODUCT_VERSION ""
#endif
#ifndef VISTREL_BUILD_DATE
#define VISTREL_BUILD_DATE ""
#endif
#ifndef VISTREL_MANUAL_FROM_PROGRAM
#define VISTREL_MANUAL_FROM_PROGRAM ""
#endif
#ifndef VISTREL_SOURCE_MANUAL
#define VISTREL_SOURCE_MANUAL ""
#endif

namespace vistrel::manager {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Q(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

std::string ProgramFile(std::string_view name)
{
#ifdef _WIN32
    return std::string(name) + ".exe";
#else
    return std::string(name);
#endif
}

} // namespace

CVistrelApp::CVistrelApp(AppOptions options) : options_(std::move(options))
{
    if (!options_.prompts)
        ownPrompts_ = std::make_unique<QtPrompts>();
    prompts_ = options_.prompts ? options_.prompts : ownPrompts_.get();
    programDirectory_ = options_.programDirectory.empty() ? platform::ProgramDirectory() : options_.programDirectory;
}

CVistrelApp::~CVistrelApp()
{
    frame_.reset();
    doc_.reset();
    records_.clear();
    contextMenu_.reset();
    registry_.UnloadExtenders();
    // Only the copy that ran writes the list: a second start that ended at
    // once must not write back the names it read before the first copy's exit.
    if (guardHeld_)
        recent_.Save();
}

StartResult CVistrelApp::InitInstance()
{
    const CommandLine commandLine = ParseCommandLine(options_.arguments);
    // 1. One copy per session; a second start hands over its command line.
    if (!guard_.Acquire(kDocumentString, HandOverText(commandLine)))
        return StartResult::SecondCopy;
    guardHeld_ = true;
    if (platform::InstanceLock* lock = guard_.Lock(); lock && lock->Listen() && lock->RaiseRequestDescriptor() >= 0) {
        secondStarts_ = new QSocketNotifier(lock->RaiseRequestDescriptor(), QSocketNotifier::Read, this);
        connect(secondStarts_, &QSocketNotifier::activated, this, [this] { TakeSecondStarts(); });
    }

    // 3. The settings store needs no set-up; the recent-file list is read once.
    recent_.Load();

    // 4. The extenders.
    if (!registry_.LoadExtenders(programDirectory_))
        return StartResult::Failed;

    // 5. The list's context menu: middle commands, a separator, viewer
    // commands, then the "ListView" popup merged in.
    contextMenu_ = std::make_unique<QMenu>();
    contextMenu_->setObjectName(QString::number(ids::kMenuContext));
    records_ = AddExtenderCommands(registry_, *contextMenu_);
    std::unique_ptr<QMenu> listPopup(ContextPopup(ids::kPopupListView));
    MergeMenu(*contextMenu_, *listPopup, true);

    // 6. The document and its window.
    doc_ = std::make_unique<CVistrelDoc>(registry_);
    frame_ = std::make_unique<CMainFrame>(*this);

    // 9. A new list, then 10. the list the command line names.
    frame_->RunCommand(ids::kCmdFileNew);
    if (!commandLine.file.isEmpty()) {
        ListLoadStatus status = frame_->OpenDocumentFile(commandLine.file);
        if (!LoadedCompletely(status) && status != ListLoadStatus::WrongFormat)
            return StartResult::Failed;
    }

    // 11. The window.
    frame_->show();

    // 12. Without a list named, the last one the user worked on.
    if (commandLine.file.isEmpty() && !recent_.Names().empty() && !recent_.Names().front().empty())
        frame_->OpenDocumentFile(QString::fromStdString(recent_.Names().front()));

    // 13. Every start of the list manager starts the scheduler too; a
    // scheduler already running ends the new copy by its own guard.
    StartScheduler();

    // 14, 15.
    frame_->RefreshSchedulingText();
    frame_->setAcceptDrops(true);
    return StartResult::Running;
}

const ExtenderCommandRecord* CVistrelApp::FindExtenderCommand(int id) const
{
    for (const ExtenderCommandRecord& record : records_)
        if (record.id == id)
            return &record;
    return nullptr;
}

void CVistrelApp::StartScheduler()
{
    const std::string program = programDirectory_ + ProgramFile(texts::kSchedulerProgramName);
    if (options_.startProgram)
        options_.startProgram(program);
    else
        platform::StartProgram(program);
}

void CVistrelApp::TakeSecondStarts()
{
    platform::InstanceLock* lock = guard_.Lock();
    std::vector<std::string> messages;
    if (!lock || !lock->TakeRaiseRequest(messages))
        return;
    pendingStarts_.insert(pendingStarts_.end(), messages.begin(), messages.end());
    // A start handled here may ask the user (save changes?); starts that
    // come meanwhile wait their turn instead of opening a list under a
    // question that is still open.
    if (takingStarts_)
        return;
    takingStarts_ = true;
    while (!pendingStarts_.empty()) {
        std::string next = std::move(pendingStarts_.front());
        pendingStarts_.pop_front();
        HandleSecondStart(next);
    }
    takingStarts_ = false;
}

void CVistrelApp::HandleSecondStart(const std::string& handOver)
{
    if (!frame_)
        return;
    frame_->BringToFront();
    CommandLine commandLine = FromHandOver(handOver);
    if (!commandLine.file.isEmpty())
        frame_->OpenDocumentFile(commandLine.file);
}

void CVistrelApp::OnAppAbout()
{
    CAboutDlg about(
        AboutProgramText(), AboutPartsText(), [this] { OpenWebPage(ids::kCmdWebSite); }, frame_.get());
    about.exec();
}

QString CVistrelApp::AboutProgramText() const
{
    return Q(texts::kProgramName) + QLatin1Char('\n') + QStringLiteral(VISTREL_PRODUCT_VERSION) +
           QStringLiteral("\n\n") + Q(texts::kAboutBuildOf) + QStringLiteral(VISTREL_BUILD_DATE);
}

QString CVistrelApp::AboutPartsText() const
{
    QString text =
        Q(texts::kProgramName) + QLatin1Char(' ') + QStringLiteral(VISTREL_PRODUCT_VERSION) + QLatin1Char('\n');
    // A program file that is not there contributes empty texts.
    const bool scheduler =
        QFileInfo::exists(QString::fromStdString(programDirectory_ + ProgramFile(texts::kSchedulerProgramName)));
    text += (scheduler ? Q(texts::kSchedulerProgramName) : QString()) + QLatin1Char(' ') +
            (scheduler ? QStringLiteral(VISTREL_PRODUCT_VERSION) : QString()) + QLatin1Char('\n');
    text += QLatin1Char('\n');
    for (ExtenderKind kind :
         {ExtenderKind::Reader, ExtenderKind::Middle, ExtenderKind::Viewer, ExtenderKind::Scheduler})
        for (ExtenderHandle extender : registry_.Extenders(kind))
            text += Q(ext::ShortName(extender)) + QLatin1Char(' ') + Q(ext::Version(extender)) + QLatin1Char('\n');
    return text;
}

QUrl CVistrelApp::ManualPage() const
{
    // The installed README beside the programs' tree, else the source tree's
    // (a program run from its build folder).
    QString manual =
        QDir::cleanPath(QString::fromStdString(programDirectory_) + QStringLiteral(VISTREL_MANUAL_FROM_PROGRAM));
    if (!QFileInfo::exists(manual))
        manual = QStringLiteral(VISTREL_SOURCE_MANUAL);
    QFile file(manual);
    if (manual.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    // Browsers show Markdown as plain text: hand them the manual as a page,
    // with its pictures found beside the original.
    QTextDocument document;
    document.setMarkdown(QString::fromUtf8(file.readAll()));
    QString html = document.toHtml();
    html.replace(QStringLiteral("<head>"),
                 QStringLiteral("<head><base href=\"") +
                     QUrl::fromLocalFile(QFileInfo(manual).absolutePath() + QLatin1Char('/')).toString() +
                     QStringLiteral("\">"));
    const QString page = QString::fromStdString(platform::RuntimeFolder()) + QStringLiteral("vistrel-manual.html");
    QFile out(page);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(html.toUtf8()) < 0)
        return QUrl::fromLocalFile(manual);
    return QUrl::fromLocalFile(page);
}

QUrl CVistrelApp::PageAddress(int commandId) const
{
    const QString site = Q(kWebSiteAddress);
    switch (commandId) {
    case ids::kCmdWebSite: return site.isEmpty() ? ManualPage() : QUrl(site);
    case ids::kCmdFreePhotos: return site.isEmpty() ? QUrl(Q(kFreePhotosPage)) : QUrl(site + "/collections.html");
    case ids::kCmdHelp:
    case ids::kCmdHelpTopics: return site.isEmpty() ? ManualPage() : QUrl(site + "/m_index.html");
    default: return {};
    }
}

void CVistrelApp::OpenWebPage(int commandId) { OpenUrl(PageAddress(commandId)); }

void CVistrelApp::OpenUrl(const QUrl& url)
{
    if (url.isEmpty())
        return;
    if (options_.openUrl)
        options_.openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

} // namespace vistrel::manager
