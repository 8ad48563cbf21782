// SPDX-License-Identifier: GPL-3.0-or-later
// The About box (100): the program, its parts and the way to its home page.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

namespace vistrel::manager {

// Dialog 100.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    // `programText`: the list manager's name, version and build date;
    // `partsText`: one line per program, then one per extender.
    CAboutDlg(const QString& programText, const QString& partsText, std::function<void()> openHomePage,
              QWidget* parent = nullptr);
};

} // namespace vistrel::manager
