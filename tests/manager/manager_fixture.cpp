// SPDX-License-Identifier: GPL-3.0-or-later
#include "manager_fixture.h"

#include "list/image_list_view.h"
#include "vistrel/core/list_file.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTimer>
#include <filesystem>

namespace vistrel::manager::test {

namespace fs = std::filesystem;
using vistrel::test::BinDir;
using vistrel::test::FakesDir;
using vistrel::test::LibraryFile;

SaveAnswer ScriptedPrompts::AskToSave(QWidget*, const QString& title)
{
    askedToSave.push_back(title);
    if (saveAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: save changes to " << title.toStdString();
        return SaveAnswer::Cancel;
    }
    SaveAnswer answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

QString ScriptedPrompts::AskOpenPath(QWidget*)
{
    if (openPaths.empty())
        return {};
    QString path = openPaths.front();
    openPaths.pop_front();
    return path;
}

QString ScriptedPrompts::AskSavePath(QWidget*, const QString& proposed)
{
    proposedNames.push_back(proposed);
    if (savePaths.empty())
        return {};
    QString path = savePaths.front();
    savePaths.pop_front();
    return path;
}

DiskAnswer ScriptedPrompts::AskDiskChanged(QWidget*, const QString& path, bool saving)
{
    diskQuestions.push_back(saving);
    if (diskAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << path.toStdString() << " changed on disk";
        return DiskAnswer::Cancel;
    }
    DiskAnswer answer = diskAnswers.front();
    diskAnswers.pop_front();
    return answer;
}

AnsweringSink::AnsweringSink() { SetMessageSink(this); }

AnsweringSink::~AnsweringSink() { SetMessageSink(nullptr); }

int AnsweringSink::Show(std::string_view text, std::string_view, unsigned style)
{
    texts.emplace_back(text);
    if ((style & 0x0Fu) == VISTREL_MB_YESNO) {
        int answer = answers.empty() ? VISTREL_IDNO : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    return VISTREL_IDOK;
}

void WhenModal(std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, act = std::move(act)] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog && started->elapsed() < 5000)
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog)
            act(dialog);
        else
            ADD_FAILURE() << "no dialog came up";
    });
    poll->start(10);
}

ManagerTest::ManagerTest()
{
    fs::create_directories(home.Path() / "runtime");
    fs::permissions(home.Path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
}

ManagerTest::~ManagerTest() { app.reset(); }

void ManagerTest::UseStandardExtenders() { programDir.AddStandardFakes(); }

void ManagerTest::UseIconExtenders()
{
    programDir.Add("Read_Expander", FakesDir() / LibraryFile("FakeIconReader"));
    programDir.Add("View_Expander", FakesDir() / LibraryFile("FakeIconViewer"));
}

void ManagerTest::AddExtender(const std::string& kindFolder, const fs::path& library)
{
    programDir.Add(kindFolder, library);
}

StartResult ManagerTest::Start(const QStringList& arguments)
{
    AppOptions options;
    options.programDirectory = programDir.Folder();
    options.arguments = arguments;
    options.startProgram = [this](const std::string& program) {
        started.push_back(program);
        return true;
    };
    options.openUrl = [this](const QUrl& url) { opened.push_back(url); };
    options.prompts = &prompts;
    app = std::make_unique<CVistrelApp>(std::move(options));
    return app->InitInstance();
}

std::string ManagerTest::MakeList(const std::string& name, const std::vector<std::string>& files)
{
    CExtenderRegistry registry;
    registry.LoadExtenders(programDir.Folder());
    CWallpaperList list(&registry);
    list.Reset();
    for (const std::string& file : files)
        EXPECT_TRUE(list.InsertFile(file, false)) << file;
    std::string path = home.File(name), error;
    EXPECT_TRUE(WriteListFile(path, list, error)) << error;
    return path;
}

void ManagerTest::Select(const std::vector<int>& rows)
{
    CVistrelView* view = Frame().ListView();
    QItemSelectionModel* selection = view->selectionModel();
    selection->clearSelection();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QModelIndex index = view->model()->index(rows[i], 0);
        if (i == 0)
            selection->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        else
            selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

std::vector<std::string> ManagerTest::Column(int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < List().GetCount(); ++row)
        texts.push_back(List().GetText(row, column));
    return texts;
}

} // namespace vistrel::manager::test
