#!/usr/bin/env python3
"""Stand-ins for the desktop's sleep inhibitors on a private session bus, for tests.

fake_desktop.py MODE LOG: MODE is "portal" (the XDG desktop portal and power management),
"power" (power management only) or "none"; every call is appended to LOG as one line:
"portal-inhibit FLAGS", "portal-close", "power-inhibit", "power-uninhibit". With "none"
it watches the bus instead and logs every call to either name, answered or not, without
its arguments: "portal-inhibit". Prints "ready" once its names are taken.
"""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

mode, log_path = sys.argv[1], sys.argv[2]


def log(line):
    with open(log_path, "a") as log_file:
        log_file.write(line + "\n")


class Request(dbus.service.Object):
    @dbus.service.method("org.freedesktop.portal.Request")
    def Close(self):
        log("portal-close")
        self.remove_from_connection()


class Portal(dbus.service.Object):
    count = 0

    @dbus.service.method("org.freedesktop.portal.Inhibit", in_signature="sua{sv}",
                         out_signature="o", sender_keyword="sender")
    def Inhibit(self, window, flags, options, sender=None):
        Portal.count += 1
        path = "/org/freedesktop/portal/desktop/request/%s/q%d" % (
            sender[1:].replace(".", "_"), Portal.count)
        Request(self.connection, path)
        log("portal-inhibit %d" % flags)
        return dbus.ObjectPath(path)


class PowerManagement(dbus.service.Object):
    @dbus.service.method("org.freedesktop.PowerManagement.Inhibit", in_signature="ss",
                         out_signature="u")
    def Inhibit(self, application, reason):
        log("power-inhibit")
        return dbus.UInt32(7)

    @dbus.service.method("org.freedesktop.PowerManagement.Inhibit", in_signature="u")
    def UnInhibit(self, cookie):
        log("power-uninhibit %d" % cookie)


def log_calls(bus):
    prefixes = {"org.freedesktop.portal.Desktop": "portal",
                "org.freedesktop.PowerManagement": "power"}

    def seen(connection, message):
        if message.get_destination() in prefixes:
            log("%s-%s" % (prefixes[message.get_destination()], message.get_member().lower()))

    bus.add_message_filter(seen)
    rules = ["type='method_call',destination='%s'" % name for name in prefixes]
    bus.call_blocking("org.freedesktop.DBus", "/org/freedesktop/DBus",
                      "org.freedesktop.DBus.Monitoring", "BecomeMonitor", "asu", (rules, 0))


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
names = []
if mode == "none":
    log_calls(bus)
if mode == "portal":
    names.append(dbus.service.BusName("org.freedesktop.portal.Desktop", bus))
    Portal(bus, "/org/freedesktop/portal/desktop")
if mode in ("portal", "power"):
    names.append(dbus.service.BusName("org.freedesktop.PowerManagement", bus))
    PowerManagement(bus, "/org/freedesktop/PowerManagement/Inhibit")
print("ready", flush=True)
GLib.MainLoop().run()
