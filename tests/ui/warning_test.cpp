#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <stdexcept>

#include "ui/waitwithevents.h"
#include "ui/warning.h"

namespace {

// Collects warnings for the duration of a test instead of showing the box.
class WarningCollector {
public:
    WarningCollector() {
        m_previous = tv::ui::SetWarningSink([this](const std::string& t) { texts.push_back(t); });
    }
    ~WarningCollector() { tv::ui::SetWarningSink(m_previous); }
    std::vector<std::string> texts;

private:
    tv::ui::WarningSink m_previous;
};

class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("disk on fire");
        return QObject::event(e);
    }
};

}  // namespace

TEST(Warnings, ExceptionOfAnEventHandlerIsShownAndTheProgramGoesOn) {
    WarningCollector warnings;
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    tv::ui::WaitWithEvents(20);
    EXPECT_EQ(warnings.texts, (std::vector<std::string>{"disk on fire", "disk on fire"}));
    EXPECT_TRUE(later);
}

TEST(WaitWithEvents, RunsEventsWhileWaitingAtLeastTheTimeGiven) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    QElapsedTimer clock;
    clock.start();
    tv::ui::WaitWithEvents(120);
    EXPECT_GE(clock.elapsed(), 120);
    EXPECT_GE(ticks, 3);

    // Zero or negative: one pass over what is pending, no waiting.
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    clock.restart();
    tv::ui::WaitWithEvents(-1);
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_TRUE(ran);
}
