// A stand-in for the Windows program while the harness is written: a tray
// icon with a menu, a named mutex and Close.
#include <windows.h>
#include <shellapi.h>

namespace {
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kClose = 100;
constexpr UINT kAutostart = 101;
constexpr UINT kEnglish = 102;
constexpr UINT kChinese = 103;
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
bool g_chinese = false;

void ToggleAutostart() {
  HKEY key;
  RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (RegQueryValueExW(key, L"CorvaneNotification", nullptr, nullptr, nullptr, nullptr) == 0) {
    RegDeleteValueW(key, L"CorvaneNotification");
  } else {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    RegSetValueExW(key, L"CorvaneNotification", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                   (length + 1) * sizeof(wchar_t));
  }
  RegCloseKey(key);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayMessage && LOWORD(lParam) == WM_RBUTTONUP) {
    HMENU menu = CreatePopupMenu();
    HMENU languages = CreatePopupMenu();
    AppendMenuW(languages, MF_STRING, kEnglish, L"English");
    AppendMenuW(languages, MF_STRING, kChinese, L"\u7b80\u4f53\u4e2d\u6587");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(languages),
                g_chinese ? L"\u8bed\u8a00" : L"Language");
    AppendMenuW(menu, MF_STRING, kAutostart, g_chinese ? L"\u5f00\u673a\u542f\u52a8" : L"Start");
    AppendMenuW(menu, MF_STRING, kClose, g_chinese ? L"\u5173\u95ed" : L"Close");
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window);
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, window, nullptr);
    DestroyMenu(menu);
    if (chosen == kClose) DestroyWindow(window);
    if (chosen == kAutostart) ToggleAutostart();
    if (chosen == kEnglish || chosen == kChinese) g_chinese = chosen == kChinese;
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CreateMutexW(nullptr, FALSE, L"CorvaneNotification");
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"StandInTray";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"StandInTray", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(icon.szTip, L"stand-in");
  Shell_NotifyIconW(NIM_ADD, &icon);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
