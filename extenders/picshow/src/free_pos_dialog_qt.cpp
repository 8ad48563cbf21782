// SPDX-License-Identifier: GPL-3.0-or-later
// Picshow_Dialogs: the "Free Pos..." dialog (1001). The user draws the free
// rectangle on a picture of the work area, or nudges it with the arrows, or
// picks the centred-with-border or tiled-with-count variant.
#include "free_pos_edit.h"

#include "dialog_host.h"
#include "vistrel/dialog_companion/companion.h"
#include "vistrel/gui/fixed_size_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace picshow {

namespace {

using vistrel::companion::SetControlId;

// Control ids of dialog 1001.
enum : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdTileList = 1002,
    kIdFreePos = 1003,
    kIdCentre = 1004,
    kIdTile = 1005,
    kIdBorderList = 1006,
    kIdUp = 1007,
    kIdLeft = 1008,
    kIdRight = 1009,
    kIdDown = 1010,
    kIdX = 1011,
    kIdY = 1012,
    kIdLx = 1013,
    kIdLy = 1014,
    kIdTiled = 1015,
    kIdTaller = 1016,
    kIdNarrower = 1017,
    kIdWider = 1018,
    kIdShorter = 1019,
    kIdFrame = 1020,
    kIdPreserve = 1021,
    kIdPreviewUpdate = 1022,
};

// String 1 of the library.
constexpr const char* kDrawHint = "Select Free Pos to draw a rectangle here";

// The picture of the work area, stretched over the window in both
// directions, with the free rectangle on it. Pressing, dragging and
// releasing the left button draws a new rectangle; each step is reported
// through `notify` (the dialog's command 1022).
class CFreePosPreview final : public QWidget {
public:
    CFreePosPreview(int right, int bottom, std::function<void()> notify, QWidget* parent)
        : QWidget(parent), right_(std::max(1, right)), bottom_(std::max(1, bottom)), notify_(std::move(notify))
    {
        font_.setFamily("Arial Narrow");
        // 40 points as the screen shows them (96 per inch), in work-area pixels.
        font_.setPixelSize(53);
        setObjectName("preview");
    }

    void SetRectangle(const DragRectangle& r, bool draw)
    {
        rect_ = r;
        draw_ = draw;
        update();
    }
    const DragRectangle& Rectangle() const { return rect_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setWindow(0, 0, right_, bottom_);
        QPen pen(Qt::black, 0); // cosmetic: one pixel whatever the stretch
        p.setPen(pen);
        p.setBrush(Qt::white);
        p.drawRect(0, 0, right_ - 1, bottom_ - 1);
        if (draw_) {
            p.setBrush(QColor(74, 144, 226, 110));
            p.drawRect(QRect(rect_.x, rect_.y, rect_.cx, rect_.cy).normalized());
        } else {
            p.setFont(font_);
            p.drawText(QRect(0, bottom_ / 2, right_, bottom_ - bottom_ / 2), Qt::AlignHCenter | Qt::AlignTop,
                       kDrawHint);
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        QPoint at = ToWorkArea(event->position());
        rect_ = {at.x(), at.y(), 0, 0};
        dragging_ = true;
        Changed();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!dragging_)
            return;
        QPoint at = ToWorkArea(event->position());
        rect_.cx = at.x() - rect_.x;
        rect_.cy = at.y() - rect_.y;
        Changed();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!dragging_ || event->button() != Qt::LeftButton)
            return;
        QPoint at = ToWorkArea(event->position());
        rect_.cx = at.x() - rect_.x;
        rect_.cy = at.y() - rect_.y;
        dragging_ = false;
        rect_ = NormaliseDrag(rect_, right_, bottom_);
        Changed();
    }

private:
    // A window point in work-area pixels, through the same stretch as the picture.
    QPoint ToWorkArea(QPointF at) const
    {
        return {static_cast<int>(std::lround(at.x() * right_ / std::max(1, width()))),
                static_cast<int>(std::lround(at.y() * bottom_ / std::max(1, height())))};
    }

    void Changed()
    {
        update();
        notify_();
    }

    int right_;
    int bottom_;
    std::function<void()> notify_;
    QFont font_;
    DragRectangle rect_;
    bool draw_ = false;
    bool dragging_ = false;
};

class CFreePosDlg final : public QDialog {
public:
    CFreePosDlg(PicshowFreePosFields& fields, QWidget* parent) : QDialog(parent), fields_(fields)
    {
        setWindowTitle("Free Pos...");
        SetControlId(this, 1001);
        BuildControls();
        LoadControls();
        // A fixed frame: the picture of the work area keeps its size, and
        // the controls their places beside and below it.
        vistrel::gui::MakeFixedSizeDialog(this);
    }

    void accept() override
    {
        ReadControls();
        fields_.x = x_;
        fields_.y = y_;
        fields_.lx = lx_;
        fields_.ly = ly_;
        fields_.tiled = tiled_->isChecked() ? 1 : 0;
        fields_.preserveProportions = preserve_->isChecked() ? 1 : 0;
        // A choice beyond the lists (a damaged block) stays as it was.
        if (tiles_->currentIndex() >= 0)
            fields_.tiles = tiles_->currentIndex();
        if (border_->currentIndex() >= 0)
            fields_.border = border_->currentIndex();
        fields_.variant = centre_->isChecked() ? 1 : tile_->isChecked() ? 2 : 0;
        QDialog::accept();
    }

private:
    QPushButton* Button(int id, const char* text)
    {
        auto* b = new QPushButton(text, this);
        SetControlId(b, id);
        b->setAutoDefault(false);
        b->setFixedWidth(b->fontMetrics().horizontalAdvance("<-->") + 12);
        return b;
    }

    QLineEdit* Field(int id)
    {
        auto* e = new QLineEdit(this);
        SetControlId(e, id);
        e->setReadOnly(true);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance("00000") + 12);
        return e;
    }

    void BuildControls()
    {
        auto* frame = new QFrame(this);
        SetControlId(frame, kIdFrame);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setMinimumSize(388, 270);
        preview_ = new CFreePosPreview(
            fields_.workRight, fields_.workBottom, [this] { update_->click(); }, frame);
        auto* frameLayout = new QVBoxLayout(frame);
        frameLayout->setContentsMargins(1, 1, 1, 1);
        frameLayout->addWidget(preview_);

        // The four fields.
        auto* group = new QGroupBox(this);
        auto* fieldsGrid = new QGridLayout(group);
        const char* labels[] = {"X =", "Y=", "LX=", "LY="};
        QLineEdit** edits[] = {&xEdit_, &yEdit_, &lxEdit_, &lyEdit_};
        for (int i = 0; i < 4; ++i) {
            auto* label = new QLabel(labels[i], group);
            label->setAlignment(i == 0 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
            *edits[i] = Field(kIdX + i);
            int row = i < 2 ? i : i + 1; // a gap between the position and the size
            fieldsGrid->addWidget(label, row, 0);
            fieldsGrid->addWidget(*edits[i], row, 1);
        }
        fieldsGrid->setRowMinimumHeight(2, 6);

        // The position arrows, as a cross.
        auto* position = new QGridLayout;
        position->addWidget(Button(kIdUp, "^"), 0, 1);
        position->addWidget(Button(kIdLeft, "<-"), 1, 0);
        position->addWidget(Button(kIdRight, "->"), 1, 2);
        position->addWidget(Button(kIdDown, "V"), 2, 1);
        update_ = Button(kIdPreviewUpdate, "upd");
        update_->hide();

        // The size arrows: taller and shorter on the left, narrower and wider beside.
        auto* size = new QGridLayout;
        size->addWidget(Button(kIdTaller, "^"), 0, 0);
        size->addWidget(Button(kIdShorter, "V"), 1, 0);
        size->addWidget(Button(kIdNarrower, "<-"), 0, 1, 2, 1, Qt::AlignVCenter);
        size->addWidget(Button(kIdWider, "->"), 0, 2, 2, 1, Qt::AlignVCenter);

        auto* side = new QVBoxLayout;
        side->addWidget(group);
        side->addLayout(position);
        side->addSpacing(6);
        side->addLayout(size);
        side->addStretch();

        auto* top = new QHBoxLayout;
        top->addWidget(frame, 1);
        top->addLayout(side);

        // The variants with their lists, the two boxes, OK and Cancel.
        freePos_ = new QRadioButton("Free Pos", this);
        centre_ = new QRadioButton("Centre", this);
        tile_ = new QRadioButton("Tile", this);
        SetControlId(freePos_, kIdFreePos);
        SetControlId(centre_, kIdCentre);
        SetControlId(tile_, kIdTile);
        auto* variants = new QButtonGroup(this);
        for (QRadioButton* r : {freePos_, centre_, tile_})
            variants->addButton(r);
        tiled_ = new QCheckBox("Tiled", this);
        SetControlId(tiled_, kIdTiled);
        tiled_->hide();
        preserve_ = new QCheckBox("Preserve Proportions", this);
        SetControlId(preserve_, kIdPreserve);
        border_ = new QComboBox(this);
        SetControlId(border_, kIdBorderList);
        border_->addItem("(Default)");
        for (int percent = 10; percent <= 90; percent += 10)
            border_->addItem(QString("with Border (%1%)").arg(percent));
        tiles_ = new QComboBox(this);
        SetControlId(tiles_, kIdTileList);
        tiles_->addItem("(Default)");
        for (int count = 2; count <= kTileChoices; ++count)
            tiles_->addItem(QString::number(count));

        auto* ok = new QPushButton("OK", this);
        SetControlId(ok, kIdOk);
        ok->setDefault(true);
        ok->setFocus(); // the fields are read-only: start on the button Enter presses
        auto* cancel = new QPushButton("Cancel", this);
        SetControlId(cancel, kIdCancel);
        cancel->setAutoDefault(false);

        auto* bottom = new QGridLayout;
        bottom->addWidget(freePos_, 0, 0);
        bottom->addWidget(tiled_, 0, 1);
        bottom->addWidget(preserve_, 0, 2, 1, 2);
        bottom->addWidget(centre_, 1, 0);
        bottom->addWidget(border_, 1, 1);
        bottom->addWidget(tile_, 2, 0);
        bottom->addWidget(tiles_, 2, 1);
        bottom->addWidget(ok, 2, 2);
        bottom->addWidget(cancel, 2, 3);
        bottom->setColumnStretch(1, 1);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(top, 1);
        layout->addLayout(bottom);

        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        for (QAbstractButton* b : {static_cast<QAbstractButton*>(freePos_), static_cast<QAbstractButton*>(centre_),
                                   static_cast<QAbstractButton*>(tile_), static_cast<QAbstractButton*>(preserve_)})
            connect(b, &QAbstractButton::clicked, this, [this] {
                ApplyEnablingRule();
                RefreshPreview();
            });
        connect(update_, &QPushButton::clicked, this, [this] {
            const DragRectangle& r = preview_->Rectangle();
            x_ = r.x;
            y_ = r.y;
            lx_ = r.cx;
            ly_ = r.cy;
            WriteControls();
        });
        ConnectArrow(kIdUp, y_, -1, kMaxFreeY);
        ConnectArrow(kIdLeft, x_, -1, kMaxFreeX);
        ConnectArrow(kIdRight, x_, +1, kMaxFreeX);
        ConnectArrow(kIdDown, y_, +1, kMaxFreeY);
        ConnectArrow(kIdTaller, ly_, +1, kMaxFreeY);
        ConnectArrow(kIdShorter, ly_, -1, kMaxFreeY);
        ConnectArrow(kIdNarrower, lx_, -1, kMaxFreeX);
        ConnectArrow(kIdWider, lx_, +1, kMaxFreeX);
    }

    void ConnectArrow(int id, std::int32_t& value, int delta, std::int32_t high)
    {
        auto* button = findChild<QPushButton*>(QString::number(id));
        connect(button, &QPushButton::clicked, this, [this, &value, delta, high] {
            ReadControls();
            value = StepWithin(value, delta, high);
            RefreshPreview();
            WriteControls();
        });
    }

    void LoadControls()
    {
        x_ = fields_.x;
        y_ = fields_.y;
        lx_ = fields_.lx;
        ly_ = fields_.ly;
        tiled_->setChecked(fields_.tiled != 0);
        preserve_->setChecked(fields_.preserveProportions != 0);
        tiles_->setCurrentIndex(fields_.tiles < kTileChoices ? fields_.tiles : -1);
        border_->setCurrentIndex(fields_.border < kBorderChoices ? fields_.border : -1);
        WriteControls();
        (fields_.variant == 1 ? centre_ : fields_.variant == 2 ? tile_ : freePos_)->setChecked(true);
        ApplyEnablingRule();
        RefreshPreview();
    }

    void ReadControls()
    {
        std::int32_t* values[] = {&x_, &y_, &lx_, &ly_};
        QLineEdit* edits[] = {xEdit_, yEdit_, lxEdit_, lyEdit_};
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            int v = edits[i]->text().toInt(&ok);
            if (ok)
                *values[i] = v;
        }
    }

    void WriteControls()
    {
        xEdit_->setText(QString::number(x_));
        yEdit_->setText(QString::number(y_));
        lxEdit_->setText(QString::number(lx_));
        lyEdit_->setText(QString::number(ly_));
    }

    void ApplyEnablingRule()
    {
        const bool free = freePos_->isChecked();
        for (int id : {kIdUp, kIdLeft, kIdRight, kIdDown})
            findChild<QWidget*>(QString::number(id))->setEnabled(free);
        for (int id : {kIdTaller, kIdShorter, kIdNarrower, kIdWider})
            findChild<QWidget*>(QString::number(id))->setEnabled(free && !preserve_->isChecked());
        tiled_->setEnabled(free);
        preserve_->setEnabled(free);
        preview_->setEnabled(free);
        border_->setEnabled(centre_->isChecked());
        tiles_->setEnabled(tile_->isChecked());
    }

    void RefreshPreview() { preview_->SetRectangle({x_, y_, lx_, ly_}, freePos_->isChecked()); }

    PicshowFreePosFields& fields_;
    std::int32_t x_ = 0, y_ = 0, lx_ = 0, ly_ = 0;
    CFreePosPreview* preview_ = nullptr;
    QPushButton* update_ = nullptr;
    QLineEdit *xEdit_ = nullptr, *yEdit_ = nullptr, *lxEdit_ = nullptr, *lyEdit_ = nullptr;
    QRadioButton *freePos_ = nullptr, *centre_ = nullptr, *tile_ = nullptr;
    QCheckBox *tiled_ = nullptr, *preserve_ = nullptr;
    QComboBox *border_ = nullptr, *tiles_ = nullptr;
};

} // namespace

} // namespace picshow

// The companion's entry (see free_pos_fields.h).
VISTREL_EXTERN_C VISTREL_EXPORT int picshow_FreePosDialog(PicshowFreePosFields* fields)
{
    namespace companion = vistrel::companion;
    if (!fields || !companion::CanShowDialogs())
        return companion::kCannotShow;
    picshow::CFreePosDlg dialog(*fields, companion::DialogOwner());
    return dialog.exec() == QDialog::Accepted ? companion::kAccepted : companion::kCancelled;
}
