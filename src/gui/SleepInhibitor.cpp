#include "gui/SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QThread>
#include <QVariantMap>

namespace qv {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPowerManagement = QStringLiteral("org.freedesktop.PowerManagement");
const QString kPowerManagementPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString kPowerManagementInterface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");
const QString kReason = QStringLiteral("Playing a listening session");
constexpr uint kSuspend = 4;  // the portal's flag for suspending; not for idleness or the screen
// When the window closes, the bus is waited for this long at most, answer and release together.
constexpr int kCloseTimeoutMs = 500;

}  // namespace

SleepInhibitor::SleepInhibitor(QObject* parent) : QObject(parent) {
    // Watched from the start, so that no name can appear unseen between a failed call and
    // the watch.
    auto* watcher = new QDBusServiceWatcher(kPortal, QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForRegistration, this);
    watcher->addWatchedService(kPowerManagement);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &SleepInhibitor::appeared);
}

SleepInhibitor::~SleepInhibitor() {
    let_go();
}

void SleepInhibitor::let_go() {
    wanted_ = false;
    const QDeadlineTimer wait(kCloseTimeoutMs);
    if (pending_) {
        // An answer still on its way would leave the desktop held after the program. The bus's
        // own thread fills it in, so it is looked at without running the event loop here.
        while (!pending_->isFinished() && !wait.hasExpired()) QThread::msleep(5);
        if (pending_->isFinished()) {
            pending_->disconnect(this);
            answered(pending_, pending_from_, wait);
        } else {
            // Left to come by itself: while the program lives on it is let go on arrival, but
            // once the program has ended nothing more can be done.
            pending_ = nullptr;
        }
    }
    release(wait);
}

void SleepInhibitor::set_wanted(bool wanted) {
    wanted_ = wanted;
    if (wanted && held_ == Held::Nothing && !missing_) ask_portal();
    if (!wanted) release();
}

void SleepInhibitor::appeared() {
    missing_ = false;
    if (wanted_ && held_ == Held::Nothing) ask_portal();
}

void SleepInhibitor::ask(const QDBusMessage& call, Held from) {
    held_ = Held::Asking;
    pending_from_ = from;
    pending_ = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(pending_, &QDBusPendingCallWatcher::finished, this,
            [this, from](QDBusPendingCallWatcher* w) { answered(w, from); });
}

void SleepInhibitor::ask_portal() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortal, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    call << QString() << kSuspend << QVariantMap{{QStringLiteral("reason"), kReason}};
    ask(call, Held::Portal);
}

void SleepInhibitor::ask_power_management() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPowerManagement, kPowerManagementPath,
                                       kPowerManagementInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("Quorvane") << kReason;
    ask(call, Held::PowerManagement);
}

void SleepInhibitor::answered(QDBusPendingCallWatcher* call, Held from, QDeadlineTimer wait) {
    call->deleteLater();
    pending_ = nullptr;
    // Remembered only when both said that no one owns their name: the portal, and power
    // management asked right after it. Any other failure is tried again on the next call.
    const bool absent = call->isError() && call->error().type() == QDBusError::ServiceUnknown;
    missing_ = absent && (from == Held::Portal ? wanted_ : missing_);
    if (call->isError()) {
        held_ = Held::Nothing;
        if (from == Held::Portal && wanted_) ask_power_management();
        return;
    }
    held_ = from;
    if (from == Held::Portal) {
        request_ = QDBusPendingReply<QDBusObjectPath>(*call).value();
    } else {
        cookie_ = QDBusPendingReply<uint>(*call).value();
    }
    // Not wanted any more while the answer was on its way.
    if (!wanted_) release(wait);
}

void SleepInhibitor::release(QDeadlineTimer wait) {
    QDBusMessage call;
    if (held_ == Held::Portal) {
        call = QDBusMessage::createMethodCall(kPortal, request_.path(),
                                              QStringLiteral("org.freedesktop.portal.Request"),
                                              QStringLiteral("Close"));
    } else if (held_ == Held::PowerManagement) {
        call =
            QDBusMessage::createMethodCall(kPowerManagement, kPowerManagementPath,
                                           kPowerManagementInterface, QStringLiteral("UnInhibit"));
        call << cookie_;
    } else {
        return;  // nothing held; an answer still on its way is let go when it comes
    }
    held_ = Held::Nothing;
    if (const qint64 left = wait.remainingTime(); left > 0) {
        QDBusConnection::sessionBus().call(call, QDBus::Block, int(left));
    } else {
        QDBusConnection::sessionBus().asyncCall(call);
    }
}

}  // namespace qv
