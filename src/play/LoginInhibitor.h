#pragma once

#include <string>

namespace qv {

// Keeps the machine from sleeping or going idle while the player plays: logind's inhibitor
// lock in "block" mode, held as the file descriptor logind hands out (closing it is the
// release). Through the system bus named by DBUS_SYSTEM_BUS_ADDRESS, or the usual one.
class LoginInhibitor {
public:
    LoginInhibitor() = default;
    LoginInhibitor(const LoginInhibitor&) = delete;
    LoginInhibitor& operator=(const LoginInhibitor&) = delete;
    ~LoginInhibitor() { release(); }

    // False, and why, when there is no system bus or logind refuses.
    bool take(std::string& error);
    void release();

private:
    int fd_ = -1;
};

}  // namespace qv
