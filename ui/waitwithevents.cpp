#include "ui/waitwithevents.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace tv::ui {

void WaitWithEvents(int ms) {
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (ms <= 0)
        return;
    // The timer guarantees a wake-up at the deadline when no other event arrives.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(ms);
    while (clock.elapsed() < ms) {
        if (!deadline.isActive())
            deadline.start(static_cast<int>(ms - clock.elapsed()));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void ProcessEventsOnce() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tv::ui
