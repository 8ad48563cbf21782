// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the widget tests: they own their application for the whole
// run, on Qt's offscreen platform (no X server); it must go before the
// program's static objects do, so it lives in main. Linked as an object
// library, so it stands in for GoogleTest's own main.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
