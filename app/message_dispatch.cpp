#include "app/message_dispatch.h"

bool FullScreenAppAfterNotification(uintptr_t code, intptr_t lParam) {
  return code == ABN_FULLSCREENAPP && lParam == 1;
}

bool MessageDispatch::IsEventSuppressed() {
  // The foreground window is only asked about while a full-screen
  // application is reported: that is an X round trip per event.
  return m_FullScreenApp && m_Actions.IsForegroundWindowTopMost();
}

void MessageDispatch::HandleDeviceEvent(const Message& message) {
  if (IsEventSuppressed()) {
    return;
  }
  const auto value = static_cast<uint32_t>(message.wParam);
  switch (message.msg) {
    case UM_RT_MODE: m_Actions.ShowRTModeHint(value); break;
    case UM_LT_KEY: m_Actions.ShowLTKeyHint(value); break;
    default: m_Actions.ShowCPIHint(value); break;  // UM_CPI_LEVEL, UM_CPI_LEVEL_ALT
  }
}

void MessageDispatch::HandleDeviceChange(const Message& message) {
  if (message.wParam != DBT_DEVICEARRIVAL || message.broadcast == nullptr ||
      message.broadcast->deviceType != DBT_DEVTYP_DEVICEINTERFACE) {
    return;
  }
  m_Actions.DeviceInterfaceArrived(message.broadcast->name);
}

void MessageDispatch::MainWindowProc(Message& message, const WindowProc& oldWindowProc) {
  switch (message.msg) {
    case UM_RT_MODE:
    case UM_LT_KEY:
    case UM_CPI_LEVEL:
    case UM_CPI_LEVEL_ALT:
      HandleDeviceEvent(message);
      break;
    case UM_APPBAR:
      m_FullScreenApp = FullScreenAppAfterNotification(message.wParam, message.lParam);
      break;
    case WM_SIZE:
      m_Actions.HideMainWindow();
      break;
    case WM_DEVICECHANGE:
      HandleDeviceChange(message);
      break;
    default:
      break;
  }
  if (oldWindowProc) {
    oldWindowProc(message);
  }
}
