#!/usr/bin/python3
# The StatusNotifierItem side of the desktop, as a panel sees it, for the end-to-end tests:
#   host: succeeds once a StatusNotifierWatcher with a host is on the session bus
#   items: prints the registered items; succeeds when there is one
#   layout: the first item's menu as the host receives it, a label a line, "-" a separator, " (off)" if disabled
#   tooltip: the first item's tooltip title and text
#   click LABEL: chooses the menu item with that label
#   property LABEL NAME: that property of the item with that label (any other label: an item the menu lacks), or
#     the error's name; the answer must come within a second
import sys

import dbus

WATCHER, ITEM = "org.kde.StatusNotifierWatcher", "org.kde.StatusNotifierItem"
bus = dbus.SessionBus()


def prop(obj, iface, name):
    return obj.Get(iface, name, dbus_interface=dbus.PROPERTIES_IFACE)


def watcher(name):
    return prop(bus.get_object(WATCHER, "/StatusNotifierWatcher"), WATCHER, name)


def item():
    items = watcher("RegisteredStatusNotifierItems") or sys.exit("no item registered")
    # "service/path"; GNOME's AppIndicator extension writes "service@/path".
    service, _, path = str(items[0]).replace("@/", "/").partition("/")
    return bus.get_object(service, "/" + path), service


def menu():
    obj, service = item()
    return dbus.Interface(bus.get_object(service, prop(obj, ITEM, "Menu")), "com.canonical.dbusmenu")


def main(command, *args):
    if command == "host":
        sys.exit(0 if watcher("IsStatusNotifierHostRegistered") else 1)
    if command == "items":
        items = watcher("RegisteredStatusNotifierItems")
        print("\n".join(str(i) for i in items))
        sys.exit(0 if items else 1)
    if command == "tooltip":
        print("\n".join(str(s) for s in prop(item()[0], ITEM, "ToolTip")[2:]))
        return
    entries = [(c[0], c[1]) for c in menu().GetLayout(0, -1, dbus.Array([], signature="s"))[1][2]]
    if command == "layout":
        for _, p in entries:
            sep = p.get("type") == "separator"
            print("-" if sep else str(p.get("label", "")) + ("" if p.get("enabled", True) else " (off)"))
        return
    if command == "click":
        for ident, p in entries:
            if p.get("label") == args[0]:
                menu().Event(ident, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
                return
        sys.exit("no item labelled " + args[0])
    if command == "property":
        ident = next((i for i, p in entries if p.get("label") == args[0]), max(i for i, _ in entries) + 1)
        try:
            print(menu().GetProperty(ident, args[1], timeout=1))
        except dbus.DBusException as error:
            print(error.get_dbus_name())
        return
    sys.exit("unknown command " + command)


if __name__ == "__main__":
    main(*sys.argv[1:])
