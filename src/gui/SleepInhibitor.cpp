#include "gui/SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace qv {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPowerManagement = QStringLiteral("org.freedesktop.PowerManagement");
const QString kPowerManagementPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString kPowerManagementInterface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");
const QString kReason = QStringLiteral("Playing a listening session");
constexpr uint kSuspend = 4;  // the portal's flag for suspending; not for idleness or the screen
// A release when the window closes waits this long at most for the bus.
constexpr int kCloseTimeoutMs = 500;

}  // namespace

SleepInhibitor::~SleepInhibitor() {
    let_go();
}

void SleepInhibitor::let_go() {
    wanted_ = false;
    if (pending_) {
        // An answer still on its way would leave the desktop held after the program.
        pending_->disconnect(this);
        pending_->waitForFinished();
        answered(pending_, pending_from_);
    }
    release(true);
}

void SleepInhibitor::set_wanted(bool wanted) {
    wanted_ = wanted;
    if (wanted && held_ == Held::Nothing) ask_portal();
    if (!wanted) release(false);
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

void SleepInhibitor::answered(QDBusPendingCallWatcher* call, Held from) {
    call->deleteLater();
    pending_ = nullptr;
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
    if (!wanted_) release(false);
}

void SleepInhibitor::release(bool wait) {
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
    if (wait) {
        QDBusConnection::sessionBus().call(call, QDBus::Block, kCloseTimeoutMs);
    } else {
        QDBusConnection::sessionBus().asyncCall(call);
    }
}

}  // namespace qv
