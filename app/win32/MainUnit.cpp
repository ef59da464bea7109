#include "app/win32/MainUnit.h"

#include <shellapi.h>

#include <filesystem>

#include "app/exception_report.h"
#include "app/tray_menu_rules.h"
#include "platform/program_name.h"
#include "platform/session/autostart.h"
#include "platform/session/executable_folder.h"
#include "platform/utf8_text.h"
#include "platform/win32/device_notifications.h"
#include "platform/win32/wide_text.h"
#include "skin/Language_subroutines.h"

namespace {

constexpr std::u16string_view kMissing = u"@@";
constexpr std::string_view kAutostartName = kProgramName;
// The installer and uninstaller find a running program by this class and
// end it with WM_CLOSE, the tray menu's Close (packaging/windows).
constexpr auto kWindowClass = ProgramNameWide("MainForm");
constexpr int kIconResource = 1;
// The tray refuses tooltips of this length and more; the icon then keeps
// the tooltip it has.
constexpr size_t kTooltipLimit = 64;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(PathFromUtf8(path), error);
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

  const std::string settingsPath = m_DataFolder + "Settings.ini";
  if (FileExists(settingsPath)) m_SettingsIni.emplace(settingsPath);

  m_Language = GetLanguageName(u"");
  CreateMenu();
  // A language the menu does not list shows as English.
  const int tag = MenuTagOfLanguage(m_Language);
  CheckMenuItem(LanguageItem(tag), true);
  m_Language = LanguageOfMenuTag(tag);
  CaptionMenu();
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
  const std::wstring hint = WideFromUtf16(ReadString(m_Language, u"Hint", u""));
  if (hint.size() < kTooltipLimit) wcsncpy(icon.szTip, hint.c_str(), kTooltipLimit);
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

void TMainForm::SetMenuCaption(UINT item, const std::u16string& text) {
  std::wstring caption = WideFromUtf16(text);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = caption.data();
  if (item == 0) {  // the language submenu, known by its position
    SetMenuItemInfoW(PopupMenu1, 0, TRUE, &info);
  } else {
    SetMenuItemInfoW(PopupMenu1, item, FALSE, &info);
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

void TMainForm::CheckMenuItem(UINT item, bool checked) {
  ::CheckMenuItem(PopupMenu1, item, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool TMainForm::IsMenuItemChecked(UINT item) const {
  return (GetMenuState(PopupMenu1, item, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TMainForm::CaptionMenu() {
  SetMenuCaption(N1, ReadString(m_Language, u"PopMenu1", kMissing));
  SetMenuCaption(N2, ReadString(m_Language, u"PopMenu2", kMissing));
  SetMenuCaption(0, ReadString(m_Language, u"PopMenu3", kMissing));
  const std::wstring hint = WideFromUtf16(ReadString(m_Language, u"Hint", u""));
  if (m_TrayAdded && hint.size() < kTooltipLimit) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = m_Window;
    icon.uID = kTrayIconId;
    icon.uFlags = NIF_TIP;
    wcsncpy(icon.szTip, hint.c_str(), kTooltipLimit);
    Shell_NotifyIconW(NIM_MODIFY, &icon);
  }
}

std::u16string TMainForm::ReadString(std::u16string_view section, std::u16string_view key,
                                     std::u16string_view defaultValue) const {
  if (!m_SettingsIni) return std::u16string(defaultValue);
  return m_SettingsIni->ReadString(section, key, defaultValue);
}

void TMainForm::ShowMinimizedOnce() { ShowWindow(m_Window, SW_SHOWMINNOACTIVE); }

void TMainForm::FormShow() {
  DiscoverDevices();
  m_AutostartChecked = IsAutoStartSet(kAutostartName);
  CheckMenuItem(N2, m_AutostartChecked);
}

void TMainForm::FormClose() {
  LeaveNotifyModeForRecordedDevices();
  m_Discovery->ReleaseLists();
}

// --- the tray menu ---

void TMainForm::N1Click() { SendMessageW(m_Window, WM_CLOSE, 0, 0); }

void TMainForm::N2Click() {
  m_AutostartChecked = ToggleAutostart(kAutostartName, ExecutablePath());  // throws on failure
  CheckMenuItem(N2, m_AutostartChecked);
}

UINT TMainForm::LanguageItem(int tag) {
  switch (tag) {
    case 1:
      return N4;
    case 2:
      return N5;
    default:
      return N6;
  }
}

void TMainForm::LanguageClick(int tag) {
  for (const UINT item : {N4, N5, N6}) CheckMenuItem(item, false);
  CheckMenuItem(LanguageItem(tag), true);
  m_Language = LanguageOfMenuTag(tag);
  CaptionMenu();
}

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
      if (wParam != FALSE && !m_Shown) {
        m_Shown = true;
        FormShow();
      }
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
      if (!m_Closed) {
        m_Closed = true;
        FormClose();
      }
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

// --- notification texts ---

void TMainForm::ShowRTModeHint(uint32_t rtMode) { ShowHint(RTModeHintRecipe(rtMode)); }
void TMainForm::ShowLTKeyHint(uint32_t ltKeyState) { ShowHint(LTKeyHintRecipe(ltKeyState)); }
void TMainForm::ShowCPIHint(uint32_t cpiLevel) { ShowHint(CPIHintRecipe(cpiLevel)); }

void TMainForm::ShowHint(const std::optional<HintRecipe>& recipe) {
  if (!recipe) return;
  const HintTexts texts = ReadHintTexts(
      *recipe, m_Language, [this](std::u16string_view section, std::u16string_view key) {
        return ReadString(section, key, kMissing);
      });
  if (recipe->popup == HintPopup::LTKey) {
    if (m_Popups.ltKey) m_Popups.ltKey(texts.title, texts.text);
  } else if (m_Popups.rtMode) {
    m_Popups.rtMode(recipe->rtMode, texts.title, texts.text);
  }
}
