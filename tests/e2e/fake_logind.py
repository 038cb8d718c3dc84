#!/usr/bin/env python3
"""A stand-in for logind's inhibitor locks on a private bus, for tests.

fake_logind.py LOG: takes org.freedesktop.login1 on the bus that DBUS_SESSION_BUS_ADDRESS
names, hands out one end of a pipe for every Inhibit call and appends to LOG
"inhibit WHAT WHO WHY MODE" when asked and "released" when the caller closes its end.
Prints "ready" once its name is taken.
"""
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

log_path = sys.argv[1]


def log(line):
    with open(log_path, "a") as log_file:
        log_file.write(line + "\n")


class Manager(dbus.service.Object):
    @dbus.service.method("org.freedesktop.login1.Manager", in_signature="ssss",
                         out_signature="h")
    def Inhibit(self, what, who, why, mode):
        ours, theirs = os.pipe()
        log("inhibit %s %s %s %s" % (what, who, why.replace(" ", "_"), mode))

        def hung_up(fd, condition):
            log("released")
            os.close(fd)
            return False

        GLib.io_add_watch(ours, GLib.IO_HUP | GLib.IO_ERR, hung_up)
        handed = dbus.types.UnixFd(theirs)
        os.close(theirs)  # the message holds its own copy
        return handed


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.login1", bus)
Manager(bus, "/org/freedesktop/login1")
print("ready", flush=True)
GLib.MainLoop().run()
