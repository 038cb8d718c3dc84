#pragma once

#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QObject>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace qv {

// Asks the desktop not to suspend the machine while someone may be listening; the screen
// may still go dark. Through the desktop portal (org.freedesktop.portal.Inhibit, suspend
// only), or where there is none through org.freedesktop.PowerManagement. Without a session
// bus or either service the sound plays on and nothing is said; once neither is on the bus
// they are asked again only when one of them appears.
class SleepInhibitor : public QObject {
public:
    explicit SleepInhibitor(QObject* parent = nullptr);
    ~SleepInhibitor() override;

    // Takes the inhibitor when `wanted` and it is not held, lets it go when not.
    void set_wanted(bool wanted);
    // Lets it go and waits a short while for the desktop to hear: the program is about to end.
    void let_go();

private:
    enum class Held { Nothing, Asking, Portal, PowerManagement };

    void ask_portal();
    void ask_power_management();
    void ask(const QDBusMessage& call, Held from);
    // `wait`: see release().
    void answered(QDBusPendingCallWatcher* call, Held from, QDeadlineTimer wait = {});
    void appeared();
    // When the window closes the program ends right after: then the release is waited for
    // until `wait` runs out. The default one has run out already.
    void release(QDeadlineTimer wait = {});

    bool wanted_ = false;
    Held held_ = Held::Nothing;
    // Neither the portal nor power management is on the bus, as far as we have heard.
    bool missing_ = false;
    QDBusPendingCallWatcher* pending_ = nullptr;
    Held pending_from_ = Held::Nothing;
    QDBusObjectPath request_;  // the portal's handle
    uint cookie_ = 0;          // power management's
};

}  // namespace qv
