#!/usr/bin/env python3
"""A screen reader's ear: prints every alert that the accessibility bus
reports as shown, one line each ("alert<TAB>name<TAB>description"), until
it is killed or SECONDS have passed. Prints "listening" once subscribed."""
import sys

import pyatspi
from gi.repository import GLib


def on_showing(event):
    if not event.detail1:
        return
    try:
        source = event.source
        if source.getRole() != pyatspi.ROLE_ALERT:
            return
        name, description = source.name, source.description
    except Exception:  # the popup may be gone again by now
        return
    print(f"alert\t{name}\t{description}", flush=True)


def ignore(event):
    pass


def main():
    seconds = int(sys.argv[1]) if len(sys.argv) > 1 else 120
    pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
    # As a screen reader does: subscribed to name and description changes,
    # programs report them, and what this process has cached of a popup
    # stays current when it shows again with new texts.
    pyatspi.Registry.registerEventListener(
        ignore, "object:property-change:accessible-name",
        "object:property-change:accessible-description")
    GLib.timeout_add_seconds(seconds, pyatspi.Registry.stop)
    print("listening", flush=True)
    pyatspi.Registry.start()


main()
