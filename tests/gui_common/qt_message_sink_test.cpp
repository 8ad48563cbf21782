// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes both programs show: the style's icon and buttons, the
// caption and text as given, and the button the user chose as the answer.
#include "vistrel/gui/qt_message_sink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace vistrel;

namespace {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Shows the message and, once its box is up, notes what it shows and
// presses `press`. A box that never shows ends the wait after a few seconds.
int ShowAndPress(std::string_view text, std::string_view caption, unsigned style, QMessageBox::StandardButton press,
                 SeenBox& seen)
{
    QTimer poll;
    poll.setInterval(5);
    int polls = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (++polls > 1000 && box)
                box->reject();
            return;
        }
        poll.stop();
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        if (QAbstractButton* button = box->button(press))
            button->click();
        else
            box->reject();
    });
    poll.start();
    gui::QtMessageSink sink;
    return sink.Show(text, caption, style);
}

} // namespace

TEST(QtMessageSink, QuestionsAnswerYesOrNo)
{
    SeenBox seen;
    EXPECT_EQ(ShowAndPress("Save changes to list.vist?", "Vistrel", VISTREL_MB_YESNO | VISTREL_MB_ICONQUESTION,
                           QMessageBox::Yes, seen),
              VISTREL_IDYES);
    EXPECT_EQ(seen.title, "Vistrel");
    EXPECT_EQ(seen.text, "Save changes to list.vist?");
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    EXPECT_EQ(ShowAndPress("Ä question", "Vistrel", VISTREL_MB_YESNO, QMessageBox::No, seen), VISTREL_IDNO);
    EXPECT_EQ(seen.text, QString::fromUtf8("Ä question")) << "the texts are UTF-8";
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
}

TEST(QtMessageSink, EveryOtherStyleIsAnOkBoxWithItsIcon)
{
    const std::pair<unsigned, QMessageBox::Icon> icons[] = {
        {VISTREL_MB_ICONHAND, QMessageBox::Critical},
        {VISTREL_MB_ICONEXCLAMATION, QMessageBox::Warning},
        {VISTREL_MB_ICONASTERISK, QMessageBox::Information},
        {0, QMessageBox::NoIcon},
    };
    for (const auto& [bits, icon] : icons) {
        SeenBox seen;
        EXPECT_EQ(ShowAndPress("text", "caption", VISTREL_MB_OK | bits, QMessageBox::Ok, seen), VISTREL_IDOK) << bits;
        EXPECT_EQ(seen.icon, icon) << bits;
        EXPECT_EQ(seen.buttons, QMessageBox::Ok) << bits;
    }
}
