// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/integer_field.h"

#include "app/texts.h"
#include "vistrel/core/message_sink.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace vistrel::manager {

UpDownControl::UpDownControl(QLineEdit* buddy, int id, QWidget* parent) : QWidget(parent), buddy_(buddy)
{
    setObjectName(QString::number(id));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int delta : {+1, -1}) {
        auto* arrow = new QToolButton(this);
        arrow->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setFixedSize(16, 11);
        connect(arrow, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        layout->addWidget(arrow);
    }
    buddy_->installEventFilter(this);
}

void UpDownControl::Step(int delta)
{
    std::int64_t value = ParseDialogInteger(buddy_->text()).value_or(0) + delta;
    if (value < INT32_MIN || value > INT32_MAX)
        return;
    buddy_->setText(QString::number(value));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<std::int32_t> ParseDialogInteger(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    if (i < trimmed.size() && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-')))
        ++i;
    if (i == trimmed.size())
        return std::nullopt;
    for (qsizetype j = i; j < trimmed.size(); ++j)
        if (trimmed[j] < QLatin1Char('0') || trimmed[j] > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    return ok ? std::optional<std::int32_t>(value) : std::nullopt;
}

std::optional<std::int32_t> ValidateIntegerField(QLineEdit* edit, std::int64_t minimum, std::int64_t maximum,
                                                 bool asUnsigned)
{
    auto fail = [edit](const std::string& message) -> std::optional<std::int32_t> {
        ShowMessage(message, VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        edit->setFocus();
        edit->selectAll();
        return std::nullopt;
    };
    std::optional<std::int32_t> value = ParseDialogInteger(edit->text());
    if (!value)
        return fail(std::string(texts::kEnterInteger));
    const std::int64_t compared = asUnsigned ? std::int64_t{static_cast<std::uint32_t>(*value)} : *value;
    if (compared < minimum || compared > maximum) {
        QString message = QString::fromUtf8(texts::kEnterIntegerBetween.data(),
                                            static_cast<qsizetype>(texts::kEnterIntegerBetween.size()))
                              .arg(minimum)
                              .arg(maximum);
        return fail(message.toStdString());
    }
    return value;
}

} // namespace vistrel::manager
