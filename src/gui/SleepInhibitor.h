#pragma once

#include <QDBusObjectPath>
#include <QObject>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace qv {

// Asks the desktop not to suspend the machine while someone may be listening; the screen
// may still go dark. Through the desktop portal (org.freedesktop.portal.Inhibit, suspend
// only), or where there is none through org.freedesktop.PowerManagement. Without a session
// bus or either service the sound plays on and nothing is said.
class SleepInhibitor : public QObject {
public:
    explicit SleepInhibitor(QObject* parent = nullptr) : QObject(parent) {}
    ~SleepInhibitor() override;

    // Takes the inhibitor when `wanted` and it is not held, lets it go when not.
    void set_wanted(bool wanted);
    // Lets it go and waits until the desktop has heard: the program is about to end.
    void let_go();

private:
    enum class Held { Nothing, Asking, Portal, PowerManagement };

    void ask_portal();
    void ask_power_management();
    void ask(const QDBusMessage& call, Held from);
    void answered(QDBusPendingCallWatcher* call, Held from);
    // When the window closes the program ends right after: then the release is waited for.
    void release(bool wait);

    bool wanted_ = false;
    Held held_ = Held::Nothing;
    QDBusPendingCallWatcher* pending_ = nullptr;
    Held pending_from_ = Held::Nothing;
    QDBusObjectPath request_;  // the portal's handle
    uint cookie_ = 0;          // power management's
};

}  // namespace qv
