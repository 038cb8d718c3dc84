#include "play/LoginInhibitor.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>

namespace qv {

bool LoginInhibitor::take(std::string& error) {
    if (fd_ >= 0) return true;
    sd_bus* bus = nullptr;
    int r = sd_bus_open_system(&bus);
    if (r < 0) {
        error = std::string("no system bus: ") + std::strerror(-r);
        return false;
    }
    sd_bus_error call_error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    r = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", "Inhibit", &call_error, &reply, "ssss",
                           "sleep:idle", "quorvane-play", "playing a listening session", "block");
    int fd = -1;
    if (r >= 0) r = sd_bus_message_read(reply, "h", &fd);
    // The descriptor belongs to the message: a copy of it is what stays open.
    if (r >= 0) fd_ = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (r < 0 || fd_ < 0) {
        error = call_error.message ? call_error.message : std::strerror(r < 0 ? -r : errno);
    }
    sd_bus_error_free(&call_error);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return fd_ >= 0;
}

void LoginInhibitor::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace qv
