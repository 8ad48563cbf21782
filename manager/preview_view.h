// CVistrelPreviewView: the lower left pane that previews the image last
// clicked in the folder tree or the image list. Reading and scaling the
// picture is not here yet; the pane keeps the calls the other panes make
// (forget the image, where the next one comes from, load it now) and shows
// its text for "no picture".
#pragma once

#include <QWidget>
#include <functional>

namespace vistrel::manager {

// Where the next preview comes from.
enum class PreviewSource { None = 0, List = 1, Tree = 2 };

class CVistrelPreviewView final : public QWidget {
    Q_OBJECT
public:
    explicit CVistrelPreviewView(QWidget* parent = nullptr);

    // Drops the picture shown; the pane shows its text until the next load.
    void ForgetImage();
    // The next load reads from `source`; `listRow` tells which image-list
    // row is current when that is the source.
    void SetSource(PreviewSource source, std::function<int()> listRow = {});
    PreviewSource Source() const { return source_; }

    // Commands sent to the pane: 32028 loads the pending image.
    void OnCommand(int id);
    // Loads and shows the image the source names now.
    void LoadPending();

    QSize sizeHint() const override { return {200, 200}; }

signals:
    // A load was asked for (by the delay timer or a click into the pane).
    void loadRequested(PreviewSource source, int listRow);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    PreviewSource source_ = PreviewSource::None;
    std::function<int()> listRow_;
};

} // namespace vistrel::manager
