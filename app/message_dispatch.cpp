#include "app/message_dispatch.h"

bool FullScreenAppAfterNotification(uintptr_t code, intptr_t lParam) {
  return code == ABN_FULLSCREENAPP && lParam == 1;
}

bool MessageDispatch::IsEventSuppressed() {
  // The foreground window is only asked about while a full-screen
  // application is reported: that is an X round trip per event.
  return m_FullScreenApp && IsForegroundWindowTopMost();
}

void MessageDispatch::HandleDeviceEvent(HintOperation show, const Message& message) {
  if (IsEventSuppressed()) {
    return;
  }
  (this->*show)(static_cast<uint32_t>(message.wParam));
}

void MessageDispatch::HandleDeviceChange(const Message& message) {
  if (message.broadcast == nullptr || message.broadcast->deviceType != DBT_DEVTYP_DEVICEINTERFACE) {
    return;
  }
  if (message.wParam == DBT_DEVICEARRIVAL) {
    DeviceInterfaceArrived(message.broadcast->name);
  } else if (message.wParam == DBT_DEVICEREMOVECOMPLETE) {
    DeviceInterfaceRemoved(message.broadcast->name);
  }
}

void MessageDispatch::MainWindowProc(Message& message, const WindowProc& oldWindowProc) {
  switch (message.msg) {
    case UM_RT_MODE:
      HandleDeviceEvent(&HintOperations::ShowRTModeHint, message);
      break;
    case UM_LT_KEY:
      HandleDeviceEvent(&HintOperations::ShowLTKeyHint, message);
      break;
    case UM_CPI_LEVEL:
    case UM_CPI_LEVEL_ALT:
      HandleDeviceEvent(&HintOperations::ShowCPIHint, message);
      break;
    case UM_APPBAR:
      m_FullScreenApp = FullScreenAppAfterNotification(message.wParam, message.lParam);
      break;
    case WM_SIZE:
      HideMainWindow();
      break;
    case WM_DEVICECHANGE:
      HandleDeviceChange(message);
      break;
    case UM_MONITOR_ENDED:
      DeviceMonitorEnded();
      break;
    case UM_DEVICE_ACCESS_DENIED:
      if (message.broadcast != nullptr) DeviceAccessDenied(message.broadcast->name);
      break;
    default:
      break;
  }
  if (oldWindowProc) {
    oldWindowProc(message);
  }
}
