// The program's own Wayland connection, shared by the popups (their layer
// surfaces) and the full-screen watcher (the compositor's toplevels), and
// served from the event loop: what the compositor sends is handled as it
// arrives, with no timer.
#pragma once

class WaylandSession;

// Null outside a Wayland session. Made on first use on the GUI thread; it
// lives until the process ends. A connection the compositor closes stops
// being served, and what uses it shows nothing more.
WaylandSession* SharedWaylandSession();
