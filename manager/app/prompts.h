// SPDX-License-Identifier: GPL-3.0-or-later
// The questions the list manager asks its user about documents: whether to
// save, which file, and what to do when the file changed on disk. Tests
// give their own answers.
#pragma once

#include <QString>

class QWidget;

namespace vistrel::manager {

enum class SaveAnswer { Save, Discard, Cancel };
enum class DiskAnswer { KeepMine, Reload, Cancel };

class Prompts {
public:
    virtual ~Prompts() = default;
    // "Save changes to <title>?"
    virtual SaveAnswer AskToSave(QWidget* parent, const QString& title) = 0;
    // A list file to open, or empty.
    virtual QString AskOpenPath(QWidget* parent) = 0;
    // A name to save under, proposing `proposed`; empty when cancelled.
    virtual QString AskSavePath(QWidget* parent, const QString& proposed) = 0;
    // The list file changed on disk since it was read. `saving`: the user
    // asked to save over it (KeepMine saves); otherwise the window just came
    // back to the front with unsaved changes.
    virtual DiskAnswer AskDiskChanged(QWidget* parent, const QString& path, bool saving) = 0;
};

// Message boxes and file dialogs.
class QtPrompts final : public Prompts {
public:
    SaveAnswer AskToSave(QWidget* parent, const QString& title) override;
    QString AskOpenPath(QWidget* parent) override;
    QString AskSavePath(QWidget* parent, const QString& proposed) override;
    DiskAnswer AskDiskChanged(QWidget* parent, const QString& path, bool saving) override;
};

// The file dialogs' filter: "Vistrel Project (*.vist)".
QString ListFileFilter();

} // namespace vistrel::manager
