#include "platform/win32/device_notifications.h"

// clang-format off
#include <windows.h>
#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}
// clang-format on

#include <memory>

#include "platform/device_log_sink.h"
#include "platform/win32/wide_text.h"

HDEVNOTIFY RegisterHidInterfaceNotifications(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  HidD_GetHidGuid(&filter.dbcc_classguid);
  const HDEVNOTIFY registration =
      RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (registration == nullptr) {
    LogDeviceFailure("RegisterDeviceNotification", "", GetLastError());
  }
  return registration;
}

void UnregisterHidInterfaceNotifications(HDEVNOTIFY registration) {
  if (registration != nullptr) UnregisterDeviceNotification(registration);
}

std::optional<Message> DeviceChangeMessage(WPARAM event, LPARAM broadcast) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(broadcast);
  if (header == nullptr) return std::nullopt;
  auto record = std::make_shared<DeviceBroadcast>();
  record->deviceType = header->dbch_devicetype;
  if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
      header->dbch_size > offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) {
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    // dbcc_name runs to the end of the record, terminated.
    const size_t capacity =
        (header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) /
        sizeof(wchar_t);
    const std::wstring_view name(device->dbcc_name, wcsnlen(device->dbcc_name, capacity));
    record->name = Utf8FromWide(name);
  }
  Message message = PostedMessage(WM_DEVICECHANGE, event, reinterpret_cast<intptr_t>(record.get()));
  message.broadcast = std::move(record);
  return message;
}
