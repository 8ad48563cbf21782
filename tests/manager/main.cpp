// The widget tests own their application for the whole run, on Qt's
// offscreen platform (no X server); it must go before the program's static
// objects do, so it lives in main.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
