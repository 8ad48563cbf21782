// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's own file dialog, where the desktop offers none (Qt's
// offscreen platform has no platform theme): its Size, Type and Date
// columns are as wide as what they show.
#include "manager_fixture.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

TEST_F(ManagerTest, TheFileDialogsColumnsShowTheirWholeTexts)
{
    std::filesystem::create_directories(home.Path() / "lists");
    vistrel::test::WriteFile(home.Path() / "lists" / "holidays.vist", std::string(930, 'x'));
    vistrel::test::WriteFile(home.Path() / "lists" / "work.vist", std::string(12, 'x'));
    QtPrompts real;
    for (bool saving : {false, true}) {
        SCOPED_TRACE(saving ? "Save As" : "Open");
        bool checked = false;
        WhenModal([&](QWidget* dialog) {
            auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
            ASSERT_TRUE(fileDialog);
            // Named, for the desktops' dialogs too, which get no title of their own.
            EXPECT_EQ(fileDialog->windowTitle(), saving ? QStringLiteral("Save As") : QStringLiteral("Open"));
            if (!saving)
                fileDialog->setDirectory(QString::fromStdString(home.File("lists")));
            auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            ASSERT_TRUE(view);
            // The folder is read on a thread of its own; the columns follow.
            EXPECT_TRUE(Eventually([&] { return view->model()->rowCount(view->rootIndex()) == 2; }));
            QApplication::processEvents();
            for (int column = 1; column < view->header()->count(); ++column) {
                if (view->isColumnHidden(column))
                    continue;
                EXPECT_GE(view->columnWidth(column), static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column))
                    << "column " << column << " is cut";
                EXPECT_GE(view->columnWidth(column), view->header()->sectionSizeHint(column)) << column;
            }
            checked = true;
            fileDialog->reject();
        });
        QString answer = saving ? real.AskSavePath(nullptr, QString::fromStdString(home.File("lists/new.vist")))
                                : real.AskOpenPath(nullptr);
        EXPECT_TRUE(answer.isEmpty()) << "Cancel chooses nothing";
        EXPECT_TRUE(checked);
    }
}
