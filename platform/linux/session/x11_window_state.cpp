#include "platform/linux/session/x11_window_state.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
  const auto cookie =
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, &error));
  std::free(error);
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

X11WindowState::X11WindowState(xcb_connection_t* connection, xcb_window_t root)
    : m_Connection(connection), m_Root(root) {
  if (m_Connection == nullptr) {
    return;
  }
  m_NetActiveWindow = InternAtom(m_Connection, "_NET_ACTIVE_WINDOW");
  m_NetWmState = InternAtom(m_Connection, "_NET_WM_STATE");
  m_NetWmStateAbove = InternAtom(m_Connection, "_NET_WM_STATE_ABOVE");
  m_NetWmStateFullscreen = InternAtom(m_Connection, "_NET_WM_STATE_FULLSCREEN");
}

xcb_window_t X11WindowState::ActiveWindow() const {
  if (m_Connection == nullptr || m_NetActiveWindow == XCB_ATOM_NONE) {
    return 0;
  }
  const auto cookie =
      xcb_get_property(m_Connection, 0, m_Root, m_NetActiveWindow, XCB_ATOM_WINDOW, 0, 1);
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_Connection, cookie, &error));
  std::free(error);
  if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
      xcb_get_property_value_length(reply.get()) < 4) {
    return 0;
  }
  xcb_window_t window = 0;
  std::memcpy(&window, xcb_get_property_value(reply.get()), sizeof window);
  return window;
}

X11WindowState::WindowState X11WindowState::ReadWindowState(xcb_window_t window) const {
  WindowState state;
  if (m_Connection == nullptr || window == 0 || m_NetWmState == XCB_ATOM_NONE) {
    return state;
  }
  const auto cookie = xcb_get_property(m_Connection, 0, window, m_NetWmState, XCB_ATOM_ATOM, 0, 64);
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_Connection, cookie, &error));
  std::free(error);
  if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32) {
    return state;
  }
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
  for (int i = 0; i < count; ++i) {
    state.above |= (atoms[i] == m_NetWmStateAbove);
    state.fullScreen |= (atoms[i] == m_NetWmStateFullscreen);
  }
  return state;
}

bool X11WindowState::IsTopMost(xcb_window_t window) const {
  const WindowState state = ReadWindowState(window);
  return state.above || state.fullScreen;
}

bool X11WindowState::ActiveWindowIsFullScreen() const {
  return ReadWindowState(ActiveWindow()).fullScreen;
}

void X11WindowState::AddPropertyChangeMask(xcb_window_t window) {
  if (m_Connection == nullptr || window == 0) {
    return;
  }
  const auto attributesCookie = xcb_get_window_attributes(m_Connection, window);
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(m_Connection, attributesCookie, &error));
  std::free(error);
  if (!attributes) {
    return;  // the window is gone
  }
  if ((attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE) != 0) {
    return;
  }
  const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
  const auto changeCookie =
      xcb_change_window_attributes_checked(m_Connection, window, XCB_CW_EVENT_MASK, &mask);
  std::free(xcb_request_check(m_Connection, changeCookie));
}

void X11WindowState::WatchRoot() { AddPropertyChangeMask(m_Root); }

void X11WindowState::WatchWindow(xcb_window_t window) { AddPropertyChangeMask(window); }

namespace {

const xcb_property_notify_event_t* AsPropertyNotify(const xcb_generic_event_t* event) {
  if (event == nullptr || (event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) {
    return nullptr;
  }
  return reinterpret_cast<const xcb_property_notify_event_t*>(event);
}

}  // namespace

bool X11WindowState::IsActiveWindowChange(const xcb_generic_event_t* event) const {
  const auto* notify = AsPropertyNotify(event);
  return notify != nullptr && notify->window == m_Root && notify->atom == m_NetActiveWindow;
}

bool X11WindowState::IsWindowStateChange(const xcb_generic_event_t* event) const {
  const auto* notify = AsPropertyNotify(event);
  return notify != nullptr && notify->atom == m_NetWmState;
}
