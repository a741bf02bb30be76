#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""Reads a program's accessible objects over the AT-SPI bus as a screen reader
does. Run by Debian's python3 (python3-dbus, python3-gi).

  atspi_probe.py tree APP          every object of APP: role, name, description, labelled-by
  atspi_probe.py listen SECONDS    the accessible-name changes announced meanwhile
Prints JSON."""

import json
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

ACCESSIBLE = "org.a11y.atspi.Accessible"
PROPERTIES = "org.freedesktop.DBus.Properties"
REGISTRY = ("org.a11y.atspi.Registry", "/org/a11y/atspi/registry")
ROOT = ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
LABELLED_BY = 2  # ATSPI_RELATION_LABELLED_BY


def a11y_bus():
    session = dbus.SessionBus()
    launcher = session.get_object("org.a11y.Bus", "/org/a11y/bus")
    return dbus.bus.BusConnection(str(launcher.GetAddress(dbus_interface="org.a11y.Bus")))


def prop(bus, ref, name):
    return bus.get_object(*ref).Get(ACCESSIBLE, name, dbus_interface=PROPERTIES)


def children(bus, ref):
    found = bus.get_object(*ref).GetChildren(dbus_interface=ACCESSIBLE)
    return [(str(name), str(path)) for name, path in found]


def labelled_by(bus, ref):
    relations = bus.get_object(*ref).GetRelationSet(dbus_interface=ACCESSIBLE)
    return [str(prop(bus, (str(b), str(p)), "Name"))
            for kind, targets in relations if kind == LABELLED_BY for b, p in targets]


def describe(bus, ref):
    obj = bus.get_object(*ref)
    return {"path": ref[1], "role": str(obj.GetRoleName(dbus_interface=ACCESSIBLE)),
            "name": str(prop(bus, ref, "Name")), "description": str(prop(bus, ref, "Description")),
            "labelled_by": labelled_by(bus, ref)}


def tree(bus, app_name):
    for app in children(bus, ROOT):
        if str(prop(bus, app, "Name")) == app_name:
            found, pending = [], [app]
            while pending:
                ref = pending.pop()
                found.append(describe(bus, ref))
                pending.extend(children(bus, ref))
            return found
    return []


def listen(bus, seconds):
    heard = []

    def on_property_change(kind, detail1, detail2, value, *rest, path=None, sender=None):
        if kind == "accessible-name":
            name = prop(bus, (str(sender), str(path)), "Name")
            heard.append({"path": str(path), "name": str(name)})

    bus.add_signal_receiver(on_property_change, signal_name="PropertyChange",
                            dbus_interface="org.a11y.atspi.Event.Object",
                            path_keyword="path", sender_keyword="sender")
    # Qt sends only the events some listener has asked the registry for.
    registry = bus.get_object(*REGISTRY)
    registry.RegisterEvent("object:property-change:accessible-name", dbus.Array([], "s"), "",
                           dbus_interface="org.a11y.atspi.Registry")
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    print(json.dumps({"listening": True}), flush=True)
    loop.run()
    return heard


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = a11y_bus()
    if sys.argv[1] == "tree":
        print(json.dumps(tree(bus, sys.argv[2]), ensure_ascii=False))
    else:
        print(json.dumps(listen(bus, float(sys.argv[2])), ensure_ascii=False), flush=True)


if __name__ == "__main__":
    main()
