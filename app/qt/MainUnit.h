// TMainForm: the hidden main window. It owns the tray icon and its menu,
// receives every message of the program, starts the device monitors and
// hands the notification texts to the popups. It is never shown on screen.
#pragma once

#include <QIcon>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/device_access_notices.h"
#include "app/device_discovery.h"
#include "app/main_form_rules.h"
#include "app/message_dispatch.h"
#include "app/notification_texts.h"
#include "app/qt/posted_message.h"
#include "monitors/monitor_slots.h"

class QAction;
class QLabel;
class QMenu;
class QSocketNotifier;
class QSystemTrayIcon;
class FullScreenWatcher;

// Where the main window sends notification texts: the two popups.
struct HintPopups {
  std::function<void(const QString& title, const QString& text)> ltKey;
  std::function<void(uint32_t mode, const QString& title, const QString& text)> rtMode;
};

class TMainForm : public QWidget,
                  public MonitorSlots,
                  public MessageDispatch,
                  private MainFormView {
 public:
  // `dataFolder` (ending with '/') defaults to the Data folder beside the
  // executable.
  explicit TMainForm(QWidget* owner = nullptr, std::string dataFolder = {});
  ~TMainForm() override;

  // The poster that monitor threads and watchers use; valid for the
  // window's life and harmless after it.
  MessagePoster& Poster() { return m_Poster; }

  void SetHintPopups(HintPopups popups) { m_Popups = std::move(popups); }

  // Every message that MainWindowProc handled, for the simulator's trace.
  void SetMessageTrace(std::function<void(const Message&)> trace) { m_Trace = std::move(trace); }

  // The settings lookup, the menu's language and marks.
  const MainFormRules& Rules() const { return m_Rules; }
  const std::vector<std::string>& ModeDevices() const { return m_Discovery->ModeDevices(); }
  const std::vector<std::string>& Es2862Devices() const { return m_Discovery->Es2862Devices(); }
  QMenu* TrayMenu() const { return PopupMenu1; }

  // The tray menu's handlers.
  void N1Click();
  void N2Click();
  void LanguageClick(QAction* sender);

  // The message handler installed in front of the window's own.
  void MainWindowProc(Message& message);

  // The notification operations: the texts for a device event's value,
  // handed to the popup that shows them.
  void ShowRTModeHint(uint32_t rtMode) override { m_Rules.ShowRTModeHint(rtMode); }
  void ShowLTKeyHint(uint32_t ltKeyState) override { m_Rules.ShowLTKeyHint(ltKeyState); }
  void ShowCPIHint(uint32_t cpiLevel) override { m_Rules.ShowCPIHint(cpiLevel); }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void CreateMenu();
  // The menu's item for what it does.
  QAction* MenuItem(MainMenuItem item) const;

  // What the main window's rules ask of the window.
  void SetMenuCaption(MainMenuItem item, const std::u16string& caption) override;
  void SetMenuItemChecked(MainMenuItem item, bool checked) override;
  void SetTrayTooltip(const std::u16string& tooltip) override;
  void MenuCaptioned() override { CaptionAccessNotices(); }
  void ShowLTKeyPopup(const std::u16string& title, const std::u16string& text) override;
  void ShowRTModePopup(uint32_t rtMode, const std::u16string& title,
                       const std::u16string& text) override;

  // The device steps of the window's life (MainUnit_devices.cpp).
  void RegisterDeviceArrival();
  void DiscoverDevices() override;
  void LeaveNotifyModeForRecordedDevices() override;
  void ReleaseDeviceLists() override;

  // What the message handler asks of the window.
  bool IsForegroundWindowTopMost() override;
  void HideMainWindow() override;
  void DeviceInterfaceArrived(const std::string& path) override;
  void DeviceInterfaceRemoved(const std::string& path) override;
  void DeviceMonitorEnded() override;
  void DeviceAccessDenied(const std::string& path) override;
  // The menu's lines about devices the user may not open, in the menu's
  // language, above its items.
  void CaptionAccessNotices();

  // The handler MainWindowProc replaced: Qt's own event handling.
  void DefaultWindowProc(Message& message);

 public:
  QLabel* lb_Device = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QSystemTrayIcon* CTrayIcon1 = nullptr;
  QIcon ImageList1;
  QMenu* PopupMenu1 = nullptr;
  QAction* N1 = nullptr;
  QLabel* Label4 = nullptr;
  QAction* N2 = nullptr;
  QMenu* N3 = nullptr;
  QAction* N6 = nullptr;
  QAction* N4 = nullptr;
  QAction* N5 = nullptr;

 private:
  std::string m_DataFolder;
  WindowProc m_WindowProc;
  WindowProc m_OldWindowProc;
  // The settings, the language, the autostart mark, the show and close steps.
  MainFormRules m_Rules{*this, m_DataFolder};

  QueuePoster m_Poster{this};
  std::unique_ptr<FullScreenWatcher> m_FullScreenWatcher;
  // Holds m_ModeDevices and m_Es2862Devices; declared after the poster so
  // that the monitors it stops never post into a destroyed one.
  std::unique_ptr<DeviceDiscovery> m_Discovery;
  QSocketNotifier* m_ArrivalNotifier = nullptr;
  HintPopups m_Popups;
  DeviceAccessNotices m_AccessNotices;
  std::vector<QAction*> m_AccessNoticeItems;
  std::function<void(const Message&)> m_Trace;
  QEvent* m_CurrentQtEvent = nullptr;
};
