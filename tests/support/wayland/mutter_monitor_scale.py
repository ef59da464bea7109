#!/usr/bin/python3
"""Sets the scale of mutter's (or GNOME Shell's) one monitor through
org.gnome.Mutter.DisplayConfig, for the session bus in the environment.

Usage: mutter_monitor_scale.py SCALE
A fractional scale needs mutter's 'scale-monitor-framebuffer' experimental
feature; the scale must be one mutter offers for the monitor's mode.
"""
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402


def main(scale):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    proxy = Gio.DBusProxy.new_sync(
        bus, Gio.DBusProxyFlags.NONE, None, "org.gnome.Mutter.DisplayConfig",
        "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig", None)
    serial, monitors, logical_monitors, _ = proxy.call_sync(
        "GetCurrentState", None, Gio.DBusCallFlags.NONE, -1, None).unpack()
    (spec, modes, _), = monitors
    connector = spec[0]
    current = next(mode for mode in modes if mode[6].get("is-current"))
    offered = current[5]
    chosen = min(offered, key=lambda s: abs(s - scale))
    if abs(chosen - scale) > 0.01:
        sys.exit(f"mutter offers no scale {scale} for {connector} (offers {offered})")
    config = [(0, 0, chosen, 0, True, [(connector, current[0], {})])]
    # Method 1: temporary, no confirmation dialog.
    proxy.call_sync("ApplyMonitorsConfig",
                    GLib.Variant("(uua(iiduba(ssa{sv}))a{sv})", (serial, 1, config, {})),
                    Gio.DBusCallFlags.NONE, -1, None)
    print(f"{connector} at scale {chosen}")


if __name__ == "__main__":
    main(float(sys.argv[1]))
