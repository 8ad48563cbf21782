// SPDX-License-Identifier: GPL-3.0-or-later
// CVistrelPreviewView: the lower left pane that previews the image last
// clicked in the folder tree or the image list. Without a picture it shows
// "Preview Pane" and "Click here for a preview", each line centred.
//
// The tree and the list arm the pane (ForgetImage, then where the next
// picture comes from); the main frame's delay timer sends 32028 when Auto
// Preview is on, and a click into the pane loads at once; once a picture
// shows, further clicks change nothing until the next arming. The picture is
// read on a worker thread (PreviewLoader), so the window stays responsive
// while a large one loads, and is drawn filling the pane: resampled to the
// pane's size by nearest pixel (ScaleDIB; palette and run-length pictures
// are expanded to 24 bits first), or, where resampling fails, stretched as
// they are. A resize resamples again.
#pragma once

#include "preview/preview_loader.h"
#include "vistrel/platform/global_memory.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

namespace vistrel {
class CWallpaperList;
}

namespace vistrel::manager {

// Where the next preview comes from.
enum class PreviewSource { None = 0, List = 1, Tree = 2 };

class CVistrelPreviewView final : public QWidget {
    Q_OBJECT
public:
    explicit CVistrelPreviewView(QWidget* parent = nullptr);
    ~CVistrelPreviewView() override;

    // The list whose rows (and whose extenders) the previews are read with;
    // without one nothing loads.
    void SetList(const CWallpaperList* list);

    // Drops the picture shown (and a load still running); the pane shows its
    // text until the next load.
    void ForgetImage();
    // The next load reads from `source`; `listRow` tells which image-list
    // row is current when that is the source.
    void SetSource(PreviewSource source, std::function<int()> listRow = {});
    PreviewSource Source() const { return source_; }
    // The file the tree armed the pane with (a folder's path ends with a
    // separator and shows nothing).
    void SetPendingPath(std::string path) { pendingPath_ = std::move(path); }
    const std::string& PendingPath() const { return pendingPath_; }
    // The pane that armed the preview: it gets the keyboard focus back when
    // the picture shows.
    void SetSourceWidget(QWidget* widget) { sourceWidget_ = widget; }

    // Commands sent to the pane: 32028 loads the pending image.
    void OnCommand(int id);
    // Loads the image the source names now, unless this arming loaded one.
    void LoadPending();

    bool HasImage() const { return dib_ != nullptr; }
    bool Loading() const { return loading_; }

    QSize sizeHint() const override { return {200, 200}; }

signals:
    // A load was asked for (by the delay timer or a click into the pane).
    void loadRequested(PreviewSource source, int listRow);
    // A load ended: with a picture shown, or without (the text stays).
    void loadFinished(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Loaded(PreviewPicture picture);
    void FreeImage();
    const QImage& Resampled();

    const CWallpaperList* list_ = nullptr;
    std::unique_ptr<PreviewLoader> loader_;
    PreviewSource source_ = PreviewSource::None;
    std::function<int()> listRow_;
    std::string pendingPath_;
    QPointer<QWidget> sourceWidget_;
    bool loading_ = false;

    gmem::Handle dib_ = nullptr; // the picture as read, in 24 bits; owned
    QImage stretched_;           // where ScaleDIB fails
    QImage resampled_;           // the picture at the pane's size
};

} // namespace vistrel::manager
