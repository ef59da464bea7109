#include "platform/linux/wayland/toplevel_watch.h"

#include <wayland-client.h>

#include <algorithm>
#include <list>

#include "foreign-toplevel-client.h"
#include "plasma-window-management-client.h"
#include "platform/linux/wayland/wayland_session.h"

ToplevelState ForeignToplevelState(const uint32_t* values, size_t count) {
  ToplevelState state;
  for (size_t i = 0; i < count; ++i) {
    if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) state.activated = true;
    if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN) state.fullScreen = true;
  }
  return state;
}

ToplevelState PlasmaWindowState(uint32_t flags) {
  ToplevelState state;
  state.activated = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
  state.fullScreen = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_FULLSCREEN) != 0;
  return state;
}

namespace {

// The toplevels a watch knows, each with its proxy; the list keeps each
// entry's address for the proxy's listener.
template <typename Proxy>
struct Toplevel {
  Proxy* proxy = nullptr;
  ToplevelState pending;
  ToplevelState current;
};

template <typename Proxy>
bool AnyActiveFullScreen(const std::list<Toplevel<Proxy>>& toplevels) {
  return std::any_of(toplevels.begin(), toplevels.end(), [](const Toplevel<Proxy>& toplevel) {
    return toplevel.current.activated && toplevel.current.fullScreen;
  });
}

// --- wlroots: zwlr_foreign_toplevel_manager_v1 ---

// Version 2 reports the full-screen state.
constexpr uint32_t kForeignToplevelVersion = 2;

class ForeignToplevelWatch final : public ToplevelWatch {
 public:
  ForeignToplevelWatch(WaylandSession& session, std::function<void()> changed)
      : m_Session(session), m_Changed(std::move(changed)) {
    static const zwlr_foreign_toplevel_manager_v1_listener listener = {OnToplevel, OnFinished};
    m_Manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        wl_registry_bind(session.Registry(), session.ForeignToplevels().name,
                         &zwlr_foreign_toplevel_manager_v1_interface, kForeignToplevelVersion));
    zwlr_foreign_toplevel_manager_v1_add_listener(m_Manager, &listener, this);
    session.Roundtrip();  // the toplevels that exist now, with their states
  }
  ~ForeignToplevelWatch() override {
    for (auto& toplevel : m_Toplevels) zwlr_foreign_toplevel_handle_v1_destroy(toplevel.proxy);
    zwlr_foreign_toplevel_manager_v1_destroy(m_Manager);
    m_Session.Flush();
  }
  bool ActiveIsFullScreen() const override { return AnyActiveFullScreen(m_Toplevels); }

 private:
  using Entry = Toplevel<zwlr_foreign_toplevel_handle_v1>;

  static void OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                         zwlr_foreign_toplevel_handle_v1* handle) {
    static const zwlr_foreign_toplevel_handle_v1_listener listener = {
        [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},  // title
        [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},  // app_id
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},   // output_enter
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},   // output_leave
        OnState,
        OnDone,
        OnClosed};
    auto* self = static_cast<ForeignToplevelWatch*>(data);
    Entry& entry = self->m_Toplevels.emplace_back();
    entry.proxy = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, self);
  }
  static void OnFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}

  Entry* Find(zwlr_foreign_toplevel_handle_v1* handle) {
    for (auto& toplevel : m_Toplevels) {
      if (toplevel.proxy == handle) return &toplevel;
    }
    return nullptr;
  }
  static void OnState(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* state) {
    Entry* entry = static_cast<ForeignToplevelWatch*>(data)->Find(handle);
    if (entry == nullptr) return;
    entry->pending = ForeignToplevelState(static_cast<const uint32_t*>(state->data),
                                          state->size / sizeof(uint32_t));
  }
  static void OnDone(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    auto* self = static_cast<ForeignToplevelWatch*>(data);
    Entry* entry = self->Find(handle);
    if (entry == nullptr) return;
    entry->current = entry->pending;
    self->m_Changed();
  }
  static void OnClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    auto* self = static_cast<ForeignToplevelWatch*>(data);
    self->m_Toplevels.remove_if([handle](const Entry& entry) { return entry.proxy == handle; });
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    self->m_Changed();
  }

  WaylandSession& m_Session;
  std::function<void()> m_Changed;
  zwlr_foreign_toplevel_manager_v1* m_Manager = nullptr;
  std::list<Entry> m_Toplevels;
};

// --- KWin: org_kde_plasma_window_management ---

// Version 4: windows are announced by their numeric id; later versions add
// events this watch has no use for.
constexpr uint32_t kPlasmaWindowsVersion = 4;

class PlasmaWindowWatch final : public ToplevelWatch {
 public:
  PlasmaWindowWatch(WaylandSession& session, std::function<void()> changed)
      : m_Session(session), m_Changed(std::move(changed)) {
    // KWin sends some events of later versions than the one bound: every
    // event gets a handler, or libwayland would abort the process.
    static const org_kde_plasma_window_management_listener listener = {
        [](void*, org_kde_plasma_window_management*, uint32_t) {},  // show_desktop_changed
        OnWindow,
        [](void*, org_kde_plasma_window_management*, wl_array*) {},    // stacking_order_changed
        [](void*, org_kde_plasma_window_management*, const char*) {},  // ..._uuid_changed
        [](void*, org_kde_plasma_window_management*, uint32_t, const char*) {
        }};  // window_with_uuid
    m_Manager = static_cast<org_kde_plasma_window_management*>(
        wl_registry_bind(session.Registry(), session.PlasmaWindows().name,
                         &org_kde_plasma_window_management_interface,
                         std::min(session.PlasmaWindows().version, kPlasmaWindowsVersion)));
    org_kde_plasma_window_management_add_listener(m_Manager, &listener, this);
    session.Roundtrip();  // the windows that exist now
    session.Roundtrip();  // and their states
  }
  ~PlasmaWindowWatch() override {
    for (auto& window : m_Windows) DestroyWindow(window.proxy);
    org_kde_plasma_window_management_destroy(m_Manager);
    m_Session.Flush();
  }
  bool ActiveIsFullScreen() const override { return AnyActiveFullScreen(m_Windows); }

 private:
  using Entry = Toplevel<org_kde_plasma_window>;

  static void DestroyWindow(org_kde_plasma_window* window) {
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(window)) >=
        ORG_KDE_PLASMA_WINDOW_DESTROY_SINCE_VERSION) {
      org_kde_plasma_window_destroy(window);
    } else {
      wl_proxy_destroy(reinterpret_cast<wl_proxy*>(window));
    }
  }

  static void OnWindow(void* data, org_kde_plasma_window_management* manager, uint32_t id) {
    static const org_kde_plasma_window_listener listener = [] {
      org_kde_plasma_window_listener l{};
      l.title_changed = [](void*, org_kde_plasma_window*, const char*) {};
      l.app_id_changed = [](void*, org_kde_plasma_window*, const char*) {};
      l.state_changed = OnStateChanged;
      l.virtual_desktop_changed = [](void*, org_kde_plasma_window*, int32_t) {};
      l.themed_icon_name_changed = [](void*, org_kde_plasma_window*, const char*) {};
      l.unmapped = OnUnmapped;
      l.initial_state = [](void*, org_kde_plasma_window*) {};
      l.parent_window = [](void*, org_kde_plasma_window*, org_kde_plasma_window*) {};
      l.geometry = [](void*, org_kde_plasma_window*, int32_t, int32_t, uint32_t, uint32_t) {};
      l.icon_changed = [](void*, org_kde_plasma_window*) {};
      l.pid_changed = [](void*, org_kde_plasma_window*, uint32_t) {};
      l.virtual_desktop_entered = [](void*, org_kde_plasma_window*, const char*) {};
      l.virtual_desktop_left = [](void*, org_kde_plasma_window*, const char*) {};
      l.application_menu = [](void*, org_kde_plasma_window*, const char*, const char*) {};
      l.activity_entered = [](void*, org_kde_plasma_window*, const char*) {};
      l.activity_left = [](void*, org_kde_plasma_window*, const char*) {};
      l.resource_name_changed = [](void*, org_kde_plasma_window*, const char*) {};
      return l;
    }();
    auto* self = static_cast<PlasmaWindowWatch*>(data);
    Entry& entry = self->m_Windows.emplace_back();
    entry.proxy = org_kde_plasma_window_management_get_window(manager, id);
    org_kde_plasma_window_add_listener(entry.proxy, &listener, self);
  }
  static void OnStateChanged(void* data, org_kde_plasma_window* window, uint32_t flags) {
    auto* self = static_cast<PlasmaWindowWatch*>(data);
    for (auto& entry : self->m_Windows) {
      if (entry.proxy == window) entry.current = PlasmaWindowState(flags);
    }
    self->m_Changed();
  }
  static void OnUnmapped(void* data, org_kde_plasma_window* window) {
    auto* self = static_cast<PlasmaWindowWatch*>(data);
    self->m_Windows.remove_if([window](const Entry& entry) { return entry.proxy == window; });
    DestroyWindow(window);
    self->m_Changed();
  }

  WaylandSession& m_Session;
  std::function<void()> m_Changed;
  org_kde_plasma_window_management* m_Manager = nullptr;
  std::list<Entry> m_Windows;
};

}  // namespace

std::unique_ptr<ToplevelWatch> ToplevelWatch::Create(WaylandSession& session,
                                                     std::function<void()> changed) {
  if (session.ForeignToplevels().version >= kForeignToplevelVersion) {
    return std::make_unique<ForeignToplevelWatch>(session, std::move(changed));
  }
  if (session.PlasmaWindows().name != 0) {
    return std::make_unique<PlasmaWindowWatch>(session, std::move(changed));
  }
  return nullptr;
}
