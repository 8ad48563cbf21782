#include "preview_view.h"

#include "resource_ids.h"
#include "texts.h"

#include <QMouseEvent>
#include <QPainter>

namespace vistrel::manager {

CVistrelPreviewView::CVistrelPreviewView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(ids::kPanePreview));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setMinimumHeight(20);
}

void CVistrelPreviewView::ForgetImage() { update(); }

void CVistrelPreviewView::SetSource(PreviewSource source, std::function<int()> listRow)
{
    source_ = source;
    listRow_ = std::move(listRow);
}

void CVistrelPreviewView::OnCommand(int id)
{
    if (id == ids::kCmdPreviewLoad)
        LoadPending();
}

void CVistrelPreviewView::LoadPending()
{
    emit loadRequested(source_, source_ == PreviewSource::List && listRow_ ? listRow_() : -1);
    update();
}

void CVistrelPreviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(
        rect(), Qt::AlignCenter | Qt::TextWordWrap,
        QString::fromUtf8(texts::kPreviewEmpty.data(), static_cast<qsizetype>(texts::kPreviewEmpty.size())));
}

void CVistrelPreviewView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        LoadPending();
    QWidget::mousePressEvent(event);
}

} // namespace vistrel::manager
