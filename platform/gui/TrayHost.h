#pragma once

#include <functional>

// The kind of notification area the desktop offers now.
enum class TrayHost { None, StatusNotifier, XEmbed };
using TrayHostProbe = std::function<TrayHost()>;

// A StatusNotifierWatcher with a host registered on the session bus, else an owner of the X11 system-tray
// selection, else none.
TrayHost findTrayHost();
