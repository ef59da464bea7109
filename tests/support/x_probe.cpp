#include "tests/support/x_probe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply) {
  return Reply<T>(reply, &std::free);
}

}  // namespace

bool Screenshot::WritePpm(const std::string& path) const {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", area.width, area.height);
  for (const uint32_t p : pixels) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                  static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
    std::fwrite(rgb, 1, 3, file);
  }
  return std::fclose(file) == 0;
}

XProbe::XProbe(const std::string& display) {
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(display.c_str(), &screenNumber);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  m_Connection = connection;
  m_Root = screens.data->root;
  m_Width = screens.data->width_in_pixels;
  m_Height = screens.data->height_in_pixels;
}

XProbe::~XProbe() {
  if (m_Connection != nullptr) xcb_disconnect(m_Connection);
}

ScreenRect XProbe::ScreenSize() const { return {0, 0, m_Width, m_Height}; }

xcb_atom_t XProbe::Atom(const std::string& name) {
  auto reply = Own(xcb_intern_atom_reply(
      m_Connection,
      xcb_intern_atom(m_Connection, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<uint32_t> XProbe::Cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
  auto reply = Own(xcb_get_property_reply(
      m_Connection, xcb_get_property(m_Connection, 0, window, property, type, 0, 1024), nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  return std::vector<uint32_t>(values, values + count);
}

std::string XProbe::Text(xcb_window_t window, xcb_atom_t property) {
  auto reply = Own(xcb_get_property_reply(
      m_Connection,
      xcb_get_property(m_Connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
      nullptr));
  if (!reply || reply->format != 8) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}

xcb_window_t XProbe::ActiveWindow() {
  const auto values = Cardinals(m_Root, Atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
  return values.empty() ? 0 : values[0];
}

std::optional<ScreenRect> XProbe::WorkArea() {
  const auto values = Cardinals(m_Root, Atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL);
  if (values.size() < 4) return std::nullopt;
  return ScreenRect{static_cast<int>(values[0]), static_cast<int>(values[1]),
                    static_cast<int>(values[2]), static_cast<int>(values[3])};
}

std::vector<xcb_window_t> XProbe::Children(xcb_window_t window) {
  auto reply =
      Own(xcb_query_tree_reply(m_Connection, xcb_query_tree(m_Connection, window), nullptr));
  if (!reply) return {};
  const xcb_window_t* children = xcb_query_tree_children(reply.get());
  return std::vector<xcb_window_t>(children,
                                   children + xcb_query_tree_children_length(reply.get()));
}

void XProbe::Walk(xcb_window_t window, std::vector<xcb_window_t>& all) {
  for (const xcb_window_t child : Children(window)) {
    all.push_back(child);
    Walk(child, all);
  }
}

std::vector<xcb_window_t> XProbe::WindowsOfPid(uint32_t pid) {
  std::vector<xcb_window_t> all;
  Walk(m_Root, all);
  const xcb_atom_t property = Atom("_NET_WM_PID");
  std::vector<xcb_window_t> found;
  for (const xcb_window_t window : all) {
    const auto values = Cardinals(window, property, XCB_ATOM_CARDINAL);
    if (!values.empty() && values[0] == pid) found.push_back(window);
  }
  return found;
}

std::vector<xcb_window_t> XProbe::WindowsOfClass(const std::string& name) {
  std::vector<xcb_window_t> all;
  Walk(m_Root, all);
  std::vector<xcb_window_t> found;
  for (const xcb_window_t window : all) {
    // WM_CLASS is two NUL-terminated texts: instance, then class.
    const std::string wmClass = Text(window, XCB_ATOM_WM_CLASS);
    size_t start = 0;
    while (start < wmClass.size()) {
      const size_t end = wmClass.find('\0', start);
      if (wmClass.compare(start, end - start, name) == 0) {
        found.push_back(window);
        break;
      }
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return found;
}

std::vector<xcb_window_t> XProbe::WindowsNamed(const std::string& name) {
  std::vector<xcb_window_t> all;
  Walk(m_Root, all);
  std::vector<xcb_window_t> found;
  for (const xcb_window_t window : all) {
    if (Name(window) == name) found.push_back(window);
  }
  return found;
}

std::string XProbe::Name(xcb_window_t window) {
  std::string name = Text(window, Atom("_NET_WM_NAME"));
  return name.empty() ? Text(window, XCB_ATOM_WM_NAME) : name;
}

bool XProbe::IsViewable(xcb_window_t window) {
  auto reply = Own(xcb_get_window_attributes_reply(
      m_Connection, xcb_get_window_attributes(m_Connection, window), nullptr));
  return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool XProbe::IsOverrideRedirect(xcb_window_t window) {
  auto reply = Own(xcb_get_window_attributes_reply(
      m_Connection, xcb_get_window_attributes(m_Connection, window), nullptr));
  return reply && reply->override_redirect != 0;
}

bool XProbe::IsDescendantOf(xcb_window_t window, xcb_window_t ancestor) {
  while (window != 0 && window != m_Root) {
    auto reply =
        Own(xcb_query_tree_reply(m_Connection, xcb_query_tree(m_Connection, window), nullptr));
    if (!reply) return false;
    window = reply->parent;
    if (window == ancestor) return true;
  }
  return false;
}

std::optional<ScreenRect> XProbe::RootGeometry(xcb_window_t window) {
  auto geometry =
      Own(xcb_get_geometry_reply(m_Connection, xcb_get_geometry(m_Connection, window), nullptr));
  if (!geometry) return std::nullopt;
  auto origin = Own(xcb_translate_coordinates_reply(
      m_Connection, xcb_translate_coordinates(m_Connection, window, m_Root, 0, 0), nullptr));
  if (!origin) return std::nullopt;
  return ScreenRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

bool XProbe::HasState(xcb_window_t window, const std::string& stateAtom) {
  const xcb_atom_t wanted = Atom(stateAtom);
  for (const uint32_t atom : Cardinals(window, Atom("_NET_WM_STATE"), XCB_ATOM_ATOM)) {
    if (atom == wanted) return true;
  }
  return false;
}

std::optional<Screenshot> XProbe::Grab(const ScreenRect& area) {
  auto image = Own(xcb_get_image_reply(
      m_Connection,
      xcb_get_image(m_Connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_Root, static_cast<int16_t>(area.x),
                    static_cast<int16_t>(area.y), static_cast<uint16_t>(area.width),
                    static_cast<uint16_t>(area.height), ~0u),
      nullptr));
  // Xvfb at depth 24 stores a pixel in 32 bits, blue in the lowest byte.
  if (!image || image->depth != 24) return std::nullopt;
  const auto* data = xcb_get_image_data(image.get());
  const size_t count = static_cast<size_t>(area.width) * static_cast<size_t>(area.height);
  if (static_cast<size_t>(xcb_get_image_data_length(image.get())) < count * 4) return std::nullopt;
  Screenshot shot{area, std::vector<uint32_t>(count)};
  for (size_t i = 0; i < count; ++i) {
    uint32_t pixel;
    std::memcpy(&pixel, data + i * 4, 4);
    shot.pixels[i] = pixel & 0xFFFFFF;
  }
  return shot;
}
