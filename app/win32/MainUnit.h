// TMainForm on Win32: the hidden main window. It owns the tray icon and its
// menu, receives every message of the program, starts the device monitors
// and hands the notification texts to the popups. It is never shown on
// screen: shown once minimized, every WM_SIZE hides it again.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/device_discovery.h"
#include "app/main_form_rules.h"
#include "app/message_dispatch.h"
#include "app/notification_texts.h"
#include "app/win32/window_poster.h"
#include "monitors/monitor_slots.h"
#include "platform/change_signal.h"

// Where the main window sends notification texts: the two popups.
struct HintPopups {
  std::function<void(const std::u16string& title, const std::u16string& text)> ltKey;
  std::function<void(uint32_t mode, const std::u16string& title, const std::u16string& text)>
      rtMode;
};

class TMainForm : public MonitorSlots, public MessageDispatch, private MainFormView {
 public:
  // `dataFolder` (ending with '/') defaults to the Data folder beside the
  // executable.
  explicit TMainForm(std::string dataFolder = {});
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  HWND Handle() const { return m_Window; }
  // The poster that monitor threads use; valid for the window's life and
  // harmless after it.
  MessagePoster& Poster() { return m_Poster; }

  void SetHintPopups(HintPopups popups) { m_Popups = std::move(popups); }
  // Every message that MainWindowProc handled, for the simulator's trace.
  void SetMessageTrace(std::function<void(const Message&)> trace) { m_Trace = std::move(trace); }

  // The settings lookup, the menu's language and marks, whether the window
  // was closed.
  const MainFormRules& Rules() const { return m_Rules; }
  // Whether the form has an icon in the notification area to update and
  // remove.
  bool IsTrayIconAdded() const { return m_TrayAdded; }
  const std::vector<std::string>& ModeDevices() const { return m_Discovery->ModeDevices(); }
  const std::vector<std::string>& Es2862Devices() const { return m_Discovery->Es2862Devices(); }
  HMENU TrayMenu() const { return PopupMenu1; }
  // A menu item's caption as shown (N1 ... N6).
  std::u16string MenuCaption(UINT item) const;
  bool IsMenuItemChecked(UINT item) const;

  // What the message loop does when it starts: shows the window once,
  // minimized, which runs FormShow.
  void ShowMinimizedOnce();

  // Where arrivals come from when the backend signals them itself (the
  // simulated devices): the loop waits on this handle and calls
  // PostDeviceChanges when it is raised. kNoWaitHandle when the system
  // posts WM_DEVICECHANGE to the window instead.
  WaitHandle ArrivalHandle() const { return m_ArrivalHandle; }
  void PostDeviceChanges();

  // The tray menu's handlers; LanguageClick takes the item's tag (0
  // English, 1 Simplified Chinese, 2 Traditional Chinese).
  void N1Click();
  void N2Click();
  void LanguageClick(int tag);

  // The message handler installed in front of the window's own.
  void MainWindowProc(Message& message);

  void ShowRTModeHint(uint32_t rtMode) override { m_Rules.ShowRTModeHint(rtMode); }
  void ShowLTKeyHint(uint32_t ltKeyState) override { m_Rules.ShowLTKeyHint(ltKeyState); }
  void ShowCPIHint(uint32_t cpiLevel) override { m_Rules.ShowCPIHint(cpiLevel); }

  // The menu items' command ids.
  static constexpr UINT N1 = 101;  // Close
  static constexpr UINT N2 = 102;  // start at login
  static constexpr UINT N4 = 104;  // Simplified Chinese
  static constexpr UINT N5 = 105;  // Traditional Chinese
  static constexpr UINT N6 = 106;  // English
  // The tray icon's id, its callback message, and the deferred hide.
  static constexpr UINT kTrayIconId = 1;
  static constexpr UINT kTrayMessage = WM_APP + 1;
  static constexpr UINT kHideMessage = WM_APP + 3;

 private:
  void FormCreate();
  void CreateMenu();
  void AddTrayIcon();
  void RemoveTrayIcon();
  void ShowTrayMenu();
  // The menu item's command id for what it does; 0 for the language submenu,
  // which has none and is known by its position.
  static UINT MenuItem(MainMenuItem item);

  // What the message handler asks of the window.
  bool IsForegroundWindowTopMost() override;
  void HideMainWindow() override;
  void DeviceInterfaceArrived(const std::string& path) override;
  void DeviceInterfaceRemoved(const std::string& path) override;
  void DeviceMonitorEnded() override;

  // The device steps of the window's life (MainUnit_devices.cpp); the rules
  // ask for the discovery pass and for the devices' release.
  void RegisterDeviceArrival();
  void DiscoverDevices() override;
  void LeaveNotifyModeForRecordedDevices() override;
  void ReleaseDeviceLists() override;

  // What the main window's rules ask of the window's menu, tray icon and
  // popups.
  void SetMenuCaption(MainMenuItem item, const std::u16string& text) override;
  void SetMenuItemChecked(MainMenuItem item, bool checked) override;
  void SetTrayTooltip(const std::u16string& tooltip) override;
  void ShowLTKeyPopup(const std::u16string& title, const std::u16string& text) override;
  void ShowRTModePopup(uint32_t rtMode, const std::u16string& title,
                       const std::u16string& text) override;

  // The window's own procedure (the one MainWindowProc replaced) and the
  // entry that turns a window message into the program's record.
  static LRESULT CALLBACK FormWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK InstalledWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OwnWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

 public:
  HMENU PopupMenu1 = nullptr;
  HMENU N3 = nullptr;  // the language submenu
  HICON ImageList1 = nullptr;

 private:
  HWND m_Window = nullptr;
  std::string m_DataFolder;
  WindowProc m_WindowProc;
  WindowProc m_OldWindowProc;
  WNDPROC m_OriginalProc = nullptr;
  LPARAM m_SystemLParam = 0;  // a WM_DEVICECHANGE's own record, for the old procedure
  // The settings, the language, the autostart mark, the show and close steps.
  MainFormRules m_Rules{*this, m_DataFolder};
  WindowPoster m_Poster;
  std::unique_ptr<DeviceDiscovery> m_Discovery;
  HDEVNOTIFY m_ArrivalRegistration = nullptr;
  WaitHandle m_ArrivalHandle = kNoWaitHandle;
  HintPopups m_Popups;
  std::function<void(const Message&)> m_Trace;
  UINT m_TaskbarCreated = 0;
  bool m_TrayAdded = false;
  bool m_AppBarRegistered = false;
};
