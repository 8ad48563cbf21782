// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/preview_view.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "preview/dib_image.h"
#include "vistrel/core/wallpaper_list.h"

#include <QMouseEvent>
#include <QPainter>

namespace vistrel::manager {

CVistrelPreviewView::CVistrelPreviewView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(ids::kPanePreview));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setMinimumHeight(20);
    QFont narrow(QStringLiteral("Arial Narrow"));
    narrow.setPointSize(10);
    setFont(narrow);
}

CVistrelPreviewView::~CVistrelPreviewView()
{
    loader_.reset(); // waits for a read still running
    FreeImage();
}

void CVistrelPreviewView::SetList(const CWallpaperList* list)
{
    if (list_ == list)
        return;
    loader_.reset();
    list_ = list;
    if (list_ && list_->Registry()) {
        loader_ = std::make_unique<PreviewLoader>(*list_->Registry());
        loader_->onLoaded = [this](PreviewPicture picture) { Loaded(std::move(picture)); };
    }
}

void CVistrelPreviewView::FreeImage()
{
    gmem::Free(dib_);
    dib_ = nullptr;
    stretched_ = QImage();
    resampled_ = QImage();
}

void CVistrelPreviewView::ForgetImage()
{
    if (loader_)
        loader_->Cancel();
    if (loading_)
        unsetCursor();
    loading_ = false;
    FreeImage();
    update();
}

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
    // A picture shown (or on its way) stays as it is until the next arming.
    if (dib_ || loading_)
        return;
    update();
    const int row = source_ == PreviewSource::List && listRow_ ? listRow_() : -1;
    emit loadRequested(source_, row);
    PreviewRequest request;
    if (source_ == PreviewSource::List) {
        if (!list_ || row < 0 || row >= list_->GetCount())
            return;
        request.path = list_->GetText(row, kColFile);
        pendingPath_ = request.path;
        const auto* chain = static_cast<const std::uint8_t*>(list_->GetChain(row));
        if (!chain)
            return;
        request.chain.assign(chain, chain + list_->GetChainBytes(row));
    } else if (source_ == PreviewSource::Tree) {
        request.path = pendingPath_;
    }
    request.size = size();
    if (!loader_ || request.path.empty())
        return;
    loading_ = true;
    setCursor(Qt::BusyCursor);
    loader_->Request(std::move(request));
}

void CVistrelPreviewView::Loaded(PreviewPicture picture)
{
    loading_ = false;
    unsetCursor();
    FreeImage();
    dib_ = picture.dib;
    resampled_ = std::move(picture.resampled); // for the size asked for; a resize resamples again
    stretched_ = std::move(picture.stretched);
    update();
    if (dib_ && sourceWidget_)
        sourceWidget_->setFocus();
    emit loadFinished(dib_ != nullptr);
}

const QImage& CVistrelPreviewView::Resampled()
{
    const QSize size = this->size();
    if (!dib_ || !stretched_.isNull() || size.isEmpty() || resampled_.size() == size)
        return resampled_;
    resampled_ = ResampledPicture(dib_, size);
    if (resampled_.isNull())
        stretched_ = ImageFromDib(dib_); // ScaleDIB failed: stretch the picture as read
    return resampled_;
}

void CVistrelPreviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (dib_) {
        const QImage& resampled = Resampled();
        if (!resampled.isNull()) {
            painter.drawImage(0, 0, resampled);
            return;
        }
        if (!stretched_.isNull()) {
            painter.drawImage(rect(), stretched_);
            return;
        }
    }
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(
        rect(), Qt::AlignCenter,
        QString::fromUtf8(texts::kPreviewEmpty.data(), static_cast<qsizetype>(texts::kPreviewEmpty.size())));
}

void CVistrelPreviewView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        LoadPending();
    QWidget::mouseReleaseEvent(event);
}

void CVistrelPreviewView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    update();
}

} // namespace vistrel::manager
