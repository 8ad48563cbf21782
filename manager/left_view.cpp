#include "left_view.h"

#include "resource_ids.h"

namespace vistrel::manager {

CLeftView::CLeftView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(ids::kPaneTree));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
}

CLeftView::Selection CLeftView::SelectedItem() const { return {}; }

void CLeftView::ToggleSelectedItem() {}

} // namespace vistrel::manager
