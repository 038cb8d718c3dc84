#include "gui/QtClock.h"

#include <QTimer>

#include "controls/Timer.h"

namespace qv {

QtClock::QtClock() = default;
QtClock::~QtClock() = default;

void QtClock::timer_added(Timer& timer) {
    auto qtimer = std::make_unique<QTimer>();
    qtimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(qtimer.get(), &QTimer::timeout, qtimer.get(),
                     [this, &timer] { deliver(timer); });
    timers_[&timer] = std::move(qtimer);
    timer_changed(timer);
}

void QtClock::timer_removed(Timer& timer) {
    auto found = timers_.find(&timer);
    if (found == timers_.end()) return;
    std::unique_ptr<QTimer> qtimer = std::move(found->second);
    timers_.erase(found);
    qtimer->stop();
    // A timer destroyed by its own handler is still inside its QTimer's event.
    if (&timer == ticking_) {
        qtimer->disconnect();
        qtimer.release()->deleteLater();
    }
}

void QtClock::timer_changed(Timer& timer) {
    auto found = timers_.find(&timer);
    if (found == timers_.end()) return;
    QTimer& qtimer = *found->second;
    if (timer.running()) {
        qtimer.start(timer.interval());
    } else {
        qtimer.stop();
    }
}

void QtClock::deliver(Timer& timer) {
    // Handlers never run inside one another. Should a handler ever spin an event loop, a
    // tick that falls due meanwhile is dropped, as an overdue periodic timer's ticks are.
    if (ticking_) return;
    ticking_ = &timer;
    struct Done {
        Timer*& ticking;
        ~Done() { ticking = nullptr; }
    } done{ticking_};
    timer.tick();
}

}  // namespace qv
