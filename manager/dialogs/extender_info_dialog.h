// SPDX-License-Identifier: GPL-3.0-or-later
// Extender Info (132): what an extender says about itself.
#pragma once

#include "vistrel/core/extender_registry.h"

#include <QDialog>

namespace vistrel::manager {

// Dialog 132.
class CExtenderInfoDlg final : public QDialog {
    Q_OBJECT
public:
    CExtenderInfoDlg(ExtenderHandle extender, QWidget* parent = nullptr);
};

} // namespace vistrel::manager
