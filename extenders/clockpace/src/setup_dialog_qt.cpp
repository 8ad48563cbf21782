// SPDX-License-Identifier: GPL-3.0-or-later
// Clockpace_Dialogs: the "Time Scheduling" dialog (2001), which sets how many
// hours and minutes pass between two wallpaper changes.
#include "schedule_input.h"
#include "setup_fields.h"

#include "dialog_host.h"
#include "vistrel/dialog_companion/companion.h"

#include "vistrel/gui/fixed_size_dialog.h"

#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace clockpace {

namespace {

using vistrel::companion::SetControlId;

enum : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdMinutes = 2001,
    kIdHours = 2002,
    kIdHoursUpDown = 2004,
    kIdMinutesUpDown = 2005,
};

// An up-down control attached to the edit before it: its arrows (and the
// arrow keys in the edit) step the edit's integer, never below 0 nor above
// `high`. Typing stays free; the dialog checks the text on OK.
class CUpDown final : public QWidget {
public:
    CUpDown(QLineEdit* buddy, std::uint32_t high, QWidget* parent) : QWidget(parent), buddy_(buddy), high_(high)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (auto [arrow, step] : {std::pair{Qt::UpArrow, 1}, {Qt::DownArrow, -1}}) {
            auto* b = new QToolButton(this);
            b->setArrowType(arrow);
            b->setAutoRaise(true); // follows the mouse
            b->setAutoRepeat(true);
            b->setFixedSize(16, 11);
            b->setFocusPolicy(Qt::NoFocus);
            b->setObjectName(step > 0 ? "up" : "down");
            connect(b, &QToolButton::clicked, this, [this, step] { Step(step); });
            layout->addWidget(b);
        }
        buddy_->installEventFilter(this);
    }

    void Step(int step)
    {
        bool ok = false;
        std::uint32_t value = buddy_->text().trimmed().toUInt(&ok);
        if (!ok || value > high_)
            value = position_; // the text is not one of ours: go on from the last position
        if (step > 0 && value < high_)
            ++value;
        else if (step < 0 && value > 0)
            --value;
        position_ = value;
        buddy_->setText(QString::number(value));
        buddy_->selectAll();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == buddy_ && event->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                Step(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    QLineEdit* buddy_;
    std::uint32_t high_;
    std::uint32_t position_ = 0;
};

class CTimeSchedulingDlg final : public QDialog {
public:
    CTimeSchedulingDlg(ClockpaceSetupFields& fields, QWidget* parent) : QDialog(parent), fields_(fields)
    {
        setWindowTitle("Time Scheduling");
        SetControlId(this, 2001);

        hours_ = new QLineEdit(QString::number(fields.hours), this);
        minutes_ = new QLineEdit(QString::number(fields.minutes), this);
        SetControlId(hours_, kIdHours);
        SetControlId(minutes_, kIdMinutes);
        for (QLineEdit* e : {hours_, minutes_})
            e->setFixedWidth(e->fontMetrics().horizontalAdvance("00000") + 12);
        auto* hoursUpDown = new CUpDown(hours_, 23, this);
        auto* minutesUpDown = new CUpDown(minutes_, 59, this);
        SetControlId(hoursUpDown, kIdHoursUpDown);
        SetControlId(minutesUpDown, kIdMinutesUpDown);

        auto* every = new QHBoxLayout;
        every->setSpacing(2);
        every->addWidget(new QLabel("every:", this));
        every->addSpacing(4);
        every->addWidget(hours_);
        every->addWidget(hoursUpDown);
        every->addSpacing(4);
        every->addWidget(new QLabel("hours and ", this));
        every->addWidget(minutes_);
        every->addWidget(minutesUpDown);
        every->addSpacing(4);
        every->addWidget(new QLabel("mins", this));

        auto* texts = new QVBoxLayout;
        texts->addWidget(new QLabel("Change your wallpaper", this));
        texts->addLayout(every);
        texts->addStretch();

        auto* ok = new QPushButton("OK", this);
        auto* cancel = new QPushButton("Cancel", this);
        SetControlId(ok, kIdOk);
        SetControlId(cancel, kIdCancel);
        ok->setDefault(true);
        cancel->setAutoDefault(false);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        buttons->addStretch();

        auto* layout = new QHBoxLayout(this);
        layout->addLayout(texts, 1);
        layout->addSpacing(12);
        layout->addLayout(buttons);
        vistrel::gui::MakeFixedSizeDialog(this, sizeHint());
    }

    void accept() override
    {
        ScheduleInput input = ReadScheduleInput(hours_->text().toStdString(), minutes_->text().toStdString());
        if (!input.ok) {
            QLineEdit* field = input.field == ScheduleInput::kHours ? hours_ : minutes_;
            vistrel::companion::ShowMessage(fields_.sink, this, QString::fromStdString(input.message), "Clockpace",
                                            VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
            field->setFocus();
            field->selectAll();
            return; // stays open; nothing is stored
        }
        fields_.hours = input.hours;
        fields_.minutes = input.minutes;
        QDialog::accept();
    }

private:
    ClockpaceSetupFields& fields_;
    QLineEdit* hours_ = nullptr;
    QLineEdit* minutes_ = nullptr;
};

} // namespace

} // namespace clockpace

// The companion's entry (see setup_fields.h).
VISTREL_EXTERN_C VISTREL_EXPORT int clockpace_SetupDialog(ClockpaceSetupFields* fields)
{
    namespace companion = vistrel::companion;
    if (!fields || !companion::CanShowDialogs())
        return companion::kCannotShow;
    clockpace::CTimeSchedulingDlg dialog(*fields, companion::DialogOwner());
    return dialog.exec() == QDialog::Accepted ? companion::kAccepted : companion::kCancelled;
}
