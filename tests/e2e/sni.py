#!/usr/bin/python3
"""The StatusNotifierItem side of the desktop, as a panel sees it, for the end-to-end tests.

  sni.py host            succeeds once a StatusNotifierWatcher with a host is on the session bus
  sni.py items           prints the registered items; succeeds when there is one
  sni.py layout          prints the first item's menu as the host receives it: one label a line, "-" for a
                         separator, "(off)" after a disabled item
  sni.py tooltip         prints the first item's tooltip title and text as a host reads them
  sni.py activate        a click on the item, as a host sends it
  sni.py click LABEL     chooses the menu item with that label
"""
import sys

import dbus

WATCHER = "org.kde.StatusNotifierWatcher"
bus = dbus.SessionBus()


def watcher_property(name):
    watcher = bus.get_object(WATCHER, "/StatusNotifierWatcher")
    return watcher.Get(WATCHER, name, dbus_interface=dbus.PROPERTIES_IFACE)


def item():
    items = watcher_property("RegisteredStatusNotifierItems")
    if not items:
        sys.exit("no item registered")
    service, _, path = str(items[0]).partition("/")
    return bus.get_object(service, "/" + path), service


def menu():
    obj, service = item()
    path = obj.Get("org.kde.StatusNotifierItem", "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
    return dbus.Interface(bus.get_object(service, path), "com.canonical.dbusmenu")


def entries():
    _, layout = menu().GetLayout(0, -1, dbus.Array([], signature="s"))
    for child in layout[2]:
        ident, props = child[0], child[1]
        yield ident, props


def main(command, *args):
    if command == "host":
        sys.exit(0 if watcher_property("IsStatusNotifierHostRegistered") else 1)
    if command == "items":
        items = watcher_property("RegisteredStatusNotifierItems")
        print("\n".join(str(i) for i in items))
        sys.exit(0 if items else 1)
    if command == "layout":
        for _, props in entries():
            if props.get("type") == "separator":
                print("-")
            else:
                print(str(props.get("label", "")) + ("" if props.get("enabled", True) else " (off)"))
        return
    if command == "tooltip":
        obj, _ = item()
        _, _, title, text = obj.Get("org.kde.StatusNotifierItem", "ToolTip", dbus_interface=dbus.PROPERTIES_IFACE)
        print(str(title))
        print(str(text))
        return
    if command == "activate":
        obj, _ = item()
        obj.Activate(0, 0, dbus_interface="org.kde.StatusNotifierItem")
        return
    if command == "click":
        for ident, props in entries():
            if props.get("label") == args[0]:
                menu().Event(ident, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
                return
        sys.exit("no item labelled " + args[0])
    sys.exit(__doc__)


if __name__ == "__main__":
    main(*sys.argv[1:])
