// SPDX-License-Identifier: GPL-3.0-or-later
// What the list manager's widget tests share: a private home (settings,
// data and runtime folders of its own, so the single-instance guard and the
// recent-file list are the test's), a program directory with chosen
// extenders, scripted answers to the program's questions, and helpers to
// drive modal dialogs on Qt's offscreen platform.
#pragma once

#include "app/vistrel_app.h"
#include "app/vistrel_doc.h"
#include "environment.h"
#include "frame/main_frame.h"
#include "qt_wait.h"
#include "test_support.h"

#include <QString>
#include <QUrl>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel::manager::test {

// Answers the program's document questions from queues; an unexpected
// question fails the test and is answered with Cancel.
class ScriptedPrompts final : public Prompts {
public:
    SaveAnswer AskToSave(QWidget*, const QString& title) override;
    QString AskOpenPath(QWidget*) override;
    QString AskSavePath(QWidget*, const QString& proposed) override;
    DiskAnswer AskDiskChanged(QWidget*, const QString& path, bool saving) override;

    std::deque<SaveAnswer> saveAnswers;
    std::deque<QString> savePaths;
    std::deque<QString> openPaths;
    std::deque<DiskAnswer> diskAnswers;
    std::vector<QString> askedToSave;
    std::vector<QString> proposedNames;
    std::vector<bool> diskQuestions; // `saving` of each question asked
};

// Records the program's messages; questions get the queued answers (No
// when none is queued).
class AnsweringSink final : public MessageSink {
public:
    AnsweringSink();
    ~AnsweringSink() override;
    int Show(std::string_view text, std::string_view caption, unsigned style) override;
    std::vector<std::string> texts;
    std::deque<int> answers;
};

using vistrel::test::Eventually;

// Runs `act` on the next modal dialog once it is up (from inside its exec).
void WhenModal(std::function<void(QWidget* dialog)> act);

class ManagerTest : public ::testing::Test {
protected:
    ManagerTest();
    ~ManagerTest() override;

    // The fake reader and viewer ("image", ".bmp") and the shipped Clockpace.
    void UseStandardExtenders();
    // Also the fakes with pictures ("picture", ".pic").
    void UseIconExtenders();
    void AddExtender(const std::string& kindFolder, const std::filesystem::path& library);

    StartResult Start(const QStringList& arguments = {});
    CMainFrame& Frame() { return *app->MainFrame(); }
    CVistrelDoc& Doc() { return app->Document(); }
    CWallpaperList& List() { return app->Document().List(); }

    // A list file holding `files`, made with the program directory's extenders.
    std::string MakeList(const std::string& name, const std::vector<std::string>& files);
    // Selects exactly these rows of the list view; the first becomes current.
    void Select(const std::vector<int>& rows);
    std::vector<std::string> Column(int column);

    vistrel::test::TempDir home;
    vistrel::test::ScopedEnvironment configHome{"XDG_CONFIG_HOME", home.File("config")};
    vistrel::test::ScopedEnvironment dataHome{"XDG_DATA_HOME", home.File("data")};
    vistrel::test::ScopedEnvironment runtimeHome{"XDG_RUNTIME_DIR", home.File("runtime")};
    vistrel::test::ScopedEnvironment cacheHome{"XDG_CACHE_HOME", home.File("cache")}; // the thumbnails
    vistrel::test::PrivateSettings settings;
    vistrel::test::ProgramDir programDir;
    ScriptedPrompts prompts;
    AnsweringSink sink;
    std::vector<std::string> started;
    std::vector<QUrl> opened;
    std::unique_ptr<CVistrelApp> app;
};

} // namespace vistrel::manager::test
