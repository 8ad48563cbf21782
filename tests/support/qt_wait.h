// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting in widget tests for what the program does on its own time (a
// worker's result, a timer, a dialog showing) without fixed sleeps: the
// condition is checked between rounds of event handling, so a busy machine
// only makes the wait longer, never the test wrong.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

namespace vistrel::test {

// Waits, handling events, until `condition` holds or `ms` pass.
inline bool Eventually(const std::function<bool()>& condition, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace vistrel::test
