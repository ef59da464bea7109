#include "platform/linux/session/x11_compositing.h"

#include <cstdlib>
#include <string>

bool X11CompositingManagerRuns(xcb_connection_t* connection, int screenNumber) {
  if (connection == nullptr) return false;
  const std::string name = "_NET_WM_CM_S" + std::to_string(screenNumber);
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()),
      nullptr);
  if (atom == nullptr) return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  if (selection == XCB_ATOM_NONE) return false;  // never created: nobody owns it
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection), nullptr);
  if (owner == nullptr) return false;
  const bool owned = owner->owner != XCB_NONE;
  std::free(owner);
  return owned;
}
