#include "app/win32/MainUnit.h"

#include <shellapi.h>

#include <array>
#include <iterator>
#include <optional>

#include "app/exception_report.h"
#include "platform/program_name.h"
#include "platform/session/executable_folder.h"
#include "platform/win32/device_notifications.h"
#include "platform/win32/wide_text.h"

namespace {

// The installer and uninstaller find a running program by this class and
// end it with WM_CLOSE, the tray menu's Close (packaging/windows).
constexpr auto kWindowClass = ProgramNameWide("MainForm");
constexpr int kIconResource = 1;

// Copies a tooltip the tray takes into the icon's record.
void SetTip(NOTIFYICONDATAW& icon, const std::u16string& tooltip) {
  const std::wstring tip = WideFromUtf16(tooltip);
  wcsncpy(icon.szTip, tip.c_str(), std::size(icon.szTip) - 1);
}

void RegisterFormClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass.text;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

HICON LoadProgramIcon() {
  const HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  // Test executables carry no icon resource.
  return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

TMainForm* FormOf(HWND window) {
  return reinterpret_cast<TMainForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

TMainForm::TMainForm(std::string dataFolder)
    : m_DataFolder(dataFolder.empty() ? ExecutableFolder() + "Data/" : std::move(dataFolder)) {
  RegisterFormClass();
  m_Window = CreateWindowExW(0, kWindowClass.text, L"MainForm", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 495, 247, nullptr, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
  if (m_Window == nullptr) throw std::runtime_error("the main window cannot be created");
  SetWindowLongPtrW(m_Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(m_Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindowProc));
  m_Poster.Attach(m_Window);
  m_TaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  FormCreate();
}

TMainForm::~TMainForm() {
  m_Discovery.reset();
  m_Poster.Detach();
  UnregisterHidInterfaceNotifications(m_ArrivalRegistration);
  if (m_AppBarRegistered) {
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    bar.hWnd = m_Window;
    SHAppBarMessage(ABM_REMOVE, &bar);
  }
  RemoveTrayIcon();
  if (PopupMenu1 != nullptr) DestroyMenu(PopupMenu1);  // N3 with it
  SetWindowLongPtrW(m_Window, GWLP_USERDATA, 0);
  DestroyWindow(m_Window);
}

void TMainForm::FormCreate() {
  m_Discovery =
      std::make_unique<DeviceDiscovery>(*this, m_Poster, m_DataFolder + "Product/Model.txt");

  m_OldWindowProc = [this](Message& message) {
    // A WM_DEVICECHANGE goes on with the system's own record.
    const LPARAM lParam = message.broadcast ? m_SystemLParam : message.lParam;
    message.result = CallWindowProcW(m_OriginalProc, m_Window, message.msg, message.wParam, lParam);
  };
  m_WindowProc = [this](Message& message) { MainWindowProc(message); };
  m_OriginalProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(m_Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InstalledWindowProc)));

  // The shell reports full-screen applications to application bars.
  APPBARDATA bar{};
  bar.cbSize = sizeof bar;
  bar.hWnd = m_Window;
  bar.uCallbackMessage = UM_APPBAR;
  m_AppBarRegistered = SHAppBarMessage(ABM_NEW, &bar) != 0;

  CreateMenu();
  m_Rules.FormCreate();
  RegisterDeviceArrival();
}

void TMainForm::CreateMenu() {
  ImageList1 = LoadProgramIcon();
  SendMessageW(m_Window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ImageList1));

  PopupMenu1 = CreatePopupMenu();
  N3 = CreatePopupMenu();
  AppendMenuW(N3, MF_STRING, N6, L"English");
  AppendMenuW(N3, MF_STRING, N4, L"\x7B80\x4F53\x4E2D\x6587");  // 简体中文
  AppendMenuW(N3, MF_STRING, N5, L"\x7E41\x9AD4\x4E2D\x6587");  // 繁體中文
  AppendMenuW(PopupMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(N3), L"\x8BED\x8A00");  // 语言
  AppendMenuW(PopupMenu1, MF_STRING, N2, L"\x5F00\x673A\x542F\x52A8");  // 开机启动
  AppendMenuW(PopupMenu1, MF_STRING, N1, L"\x5173\x95ED");              // 关闭
  AddTrayIcon();
}

void TMainForm::AddTrayIcon() {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = m_Window;
  icon.uID = kTrayIconId;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = ImageList1;
  if (const std::optional<std::u16string> tooltip = m_Rules.TrayTooltip()) SetTip(icon, *tooltip);
  // A shell that announces a new taskbar may still hold the icon: adding it
  // again is refused, and only an icon that is there can be modified.
  m_TrayAdded =
      Shell_NotifyIconW(NIM_ADD, &icon) != FALSE || Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

void TMainForm::RemoveTrayIcon() {
  if (!m_TrayAdded) return;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = m_Window;
  icon.uID = kTrayIconId;
  Shell_NotifyIconW(NIM_DELETE, &icon);
  m_TrayAdded = false;
}

UINT TMainForm::MenuItem(MainMenuItem item) {
  // In the order of MainMenuItem.
  constexpr std::array<UINT, kMainMenuItemCount> kItems = {N1, N2, 0, N4, N5, N6};
  return kItems.at(static_cast<size_t>(item));
}

void TMainForm::SetMenuCaption(MainMenuItem item, const std::u16string& text) {
  std::wstring caption = WideFromUtf16(text);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = caption.data();
  const UINT id = MenuItem(item);
  if (id == 0) {  // the language submenu, known by its position
    SetMenuItemInfoW(PopupMenu1, 0, TRUE, &info);
  } else {
    SetMenuItemInfoW(PopupMenu1, id, FALSE, &info);
  }
}

std::u16string TMainForm::MenuCaption(UINT item) const {
  wchar_t text[256] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 255;
  if (item == 0) {
    GetMenuItemInfoW(PopupMenu1, 0, TRUE, &info);
  } else {
    GetMenuItemInfoW(PopupMenu1, item, FALSE, &info);
  }
  return Utf16FromWide(text);
}

void TMainForm::SetMenuItemChecked(MainMenuItem item, bool checked) {
  CheckMenuItem(PopupMenu1, MenuItem(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool TMainForm::IsMenuItemChecked(UINT item) const {
  return (GetMenuState(PopupMenu1, item, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TMainForm::SetTrayTooltip(const std::u16string& tooltip) {
  if (!m_TrayAdded) return;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = m_Window;
  icon.uID = kTrayIconId;
  icon.uFlags = NIF_TIP;
  SetTip(icon, tooltip);
  Shell_NotifyIconW(NIM_MODIFY, &icon);
}

void TMainForm::ShowMinimizedOnce() { ShowWindow(m_Window, SW_SHOWMINNOACTIVE); }

// --- the tray menu ---

void TMainForm::N1Click() { SendMessageW(m_Window, WM_CLOSE, 0, 0); }

void TMainForm::N2Click() { m_Rules.N2Click(); }

void TMainForm::LanguageClick(int tag) { m_Rules.LanguageClick(tag); }

void TMainForm::ShowTrayMenu() {
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if its owner is the
  // foreground window, and the WM_NULL lets a second click open it again.
  SetForegroundWindow(m_Window);
  TrackPopupMenu(PopupMenu1, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x, at.y, 0, m_Window, nullptr);
  PostMessageW(m_Window, WM_NULL, 0, 0);
}

// --- messages ---

LRESULT CALLBACK TMainForm::InstalledWindowProc(HWND window, UINT msg, WPARAM wParam,
                                                LPARAM lParam) {
  TMainForm* form = FormOf(window);
  if (form == nullptr) return DefWindowProcW(window, msg, wParam, lParam);
  LRESULT result = 0;
  RunReportingExceptions([&] {
    if (msg == WindowPoster::kDrainMessage) {
      if (std::optional<Message> queued = form->m_Poster.TakeNext()) {
        form->m_SystemLParam = 0;
        form->m_WindowProc(*queued);
      }
      return;
    }
    Message message = PostedMessage(msg, wParam, lParam);
    if (msg == WM_DEVICECHANGE) {
      if (std::optional<Message> change = DeviceChangeMessage(wParam, lParam)) {
        message = std::move(*change);
      }
    }
    form->m_SystemLParam = lParam;
    form->m_WindowProc(message);
    result = message.result;
  });
  return result;
}

LRESULT CALLBACK TMainForm::FormWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  TMainForm* form = FormOf(window);
  if (form == nullptr) return DefWindowProcW(window, msg, wParam, lParam);
  return form->OwnWindowProc(msg, wParam, lParam);
}

LRESULT TMainForm::OwnWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == m_TaskbarCreated && m_TaskbarCreated != 0) {
    AddTrayIcon();  // the shell restarted and lost every icon
    return 0;
  }
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wParam != FALSE) m_Rules.FormShow();  // the first show only
      break;
    case WM_ENDSESSION:
      // The session ends: the process may be ended without its destructors.
      if (wParam != FALSE) RemoveTrayIcon();
      break;
    case kHideMessage:
      ShowWindow(m_Window, SW_HIDE);
      return 0;
    case kTrayMessage:
      // Only the menu: any other click, a double-click included, shows
      // nothing (the main window is never shown, not even for a moment).
      switch (LOWORD(lParam)) {
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
          ShowTrayMenu();
          break;
        default:
          break;
      }
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case N1:
          N1Click();
          return 0;
        case N2:
          N2Click();
          return 0;
        case N6:
          LanguageClick(0);
          return 0;
        case N4:
          LanguageClick(1);
          return 0;
        case N5:
          LanguageClick(2);
          return 0;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      m_Rules.FormClose();
      // Closing the main window ends the message loop; the window itself
      // goes with the form.
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_Window, msg, wParam, lParam);
}

void TMainForm::MainWindowProc(Message& message) {
  const bool deviceEventOrAppBar = message.msg >= UM_RT_MODE && message.msg <= UM_APPBAR;
  if ((deviceEventOrAppBar || message.msg == WM_DEVICECHANGE) && m_Trace) m_Trace(message);
  MessageDispatch::MainWindowProc(message, m_OldWindowProc);
}

void TMainForm::HideMainWindow() {
  // Deferred: hiding from inside the show that sent WM_SIZE would be undone.
  PostMessageW(m_Window, kHideMessage, 0, 0);
}

bool TMainForm::IsForegroundWindowTopMost() {
  const HWND foreground = GetForegroundWindow();
  return foreground != nullptr && (GetWindowLongW(foreground, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// --- the popups ---

void TMainForm::ShowLTKeyPopup(const std::u16string& title, const std::u16string& text) {
  if (m_Popups.ltKey) m_Popups.ltKey(title, text);
}

void TMainForm::ShowRTModePopup(uint32_t rtMode, const std::u16string& title,
                                const std::u16string& text) {
  if (m_Popups.rtMode) m_Popups.rtMode(rtMode, title, text);
}
