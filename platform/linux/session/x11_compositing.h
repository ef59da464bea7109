// Whether an X11 compositing manager runs on a screen: it owns the
// _NET_WM_CM_S<screen> selection (EWMH). Windows with an alpha channel are
// then blended over what lies below them; without one, only the window shape
// cuts a window.
#pragma once

#include <xcb/xcb.h>

bool X11CompositingManagerRuns(xcb_connection_t* connection, int screenNumber);
