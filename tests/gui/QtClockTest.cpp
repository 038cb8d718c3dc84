#include <QTest>
#include <memory>

#include "controls/Timer.h"
#include "gui/QtClock.h"

using namespace qv;

class QtClockTest : public QObject {
    Q_OBJECT

private slots:
    void ticks_come_from_the_event_loop_until_disabled() {
        QtClock clock;
        Timer timer(clock, true);
        int ticks = 0;
        timer.on_tick = [&] { ++ticks; };
        timer.set_interval(5);
        QCOMPARE(ticks, 0);
        QTRY_VERIFY(ticks >= 3);
        timer.set_enabled(false);
        const int stopped_at = ticks;
        QTest::qWait(40);
        QCOMPARE(ticks, stopped_at);
        timer.set_enabled(true);
        QTRY_VERIFY(ticks > stopped_at);
    }

    // A handler that spins the event loop (as a modal dialog would) is not entered again,
    // and a timer may end itself in its own tick.
    void a_tick_never_runs_inside_another() {
        QtClock clock;
        Timer slow(clock, true), fast(clock, true);
        int depth = 0, deepest = 0, slow_ticks = 0, fast_ticks = 0;
        slow.on_tick = [&] {
            deepest = std::max(deepest, ++depth);
            ++slow_ticks;
            QTest::qWait(30);
            --depth;
        };
        fast.on_tick = [&] { deepest = std::max(deepest, ++depth), ++fast_ticks, --depth; };
        slow.set_interval(5);
        fast.set_interval(2);
        QTRY_VERIFY(slow_ticks >= 3);
        QCOMPARE(deepest, 1);
        QVERIFY(fast_ticks > 0);

        auto ending = std::make_unique<Timer>(clock, true);
        ending->on_tick = [&] { ending.reset(); };
        ending->set_interval(1);
        QTRY_VERIFY(!ending);
    }
};

QTEST_MAIN(QtClockTest)
#include "QtClockTest.moc"
