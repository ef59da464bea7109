#include <objbase.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/exception_report.h"
#include "app/program.h"
#include "app/win32/MainUnit.h"
#include "app/win32/message_loop.h"
#include "hid/IO_HID.h"
#include "platform/device_log_sink.h"
#include "platform/program_name.h"
#include "platform/session/single_instance.h"
#include "platform/session/system_locale.h"
#include "platform/win32/wide_text.h"
#include "popups/win32/FORM_LTKeyHintDialog.h"
#include "popups/win32/FORM_RTModeHintDialog.h"
#include "skin/Language_subroutines.h"
#include "skin/win32/win32_display.h"

namespace {

// The device layer's reasons go where a debugger or DebugView sees them;
// nothing is written anywhere else.
void DeviceLogToDebugger(std::string_view line) { OutputDebugStringW(WideFromUtf8(line).c_str()); }

}  // namespace

int RunProgram(int, char**, const ProgramSetup& setup) {
  SingleInstanceLock instance(kProgramName);
  if (instance.Acquire() == SingleInstanceLock::Result::HeldByAnother) {
    return 0;  // another instance runs: leave it alone, show nothing
  }
  // WIC, which decodes the popups' pictures, is a COM library.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SetSystemLanguageIdSource(&SystemDefaultLanguageId);
  SetDeviceLogSink(&DeviceLogToDebugger);
  InstallWin32DisplayStateSource();
  try {
    if (setup.makeBackend) HidSetBackend(setup.makeBackend());
    TMainForm mainForm;
    TformLTKeyHintDialog formLTKeyHintDialog;
    TformRTModeHintDialog formRTModeHintDialog;
    mainForm.SetHintPopups(
        {[&formLTKeyHintDialog](const std::u16string& title, const std::u16string& text) {
           formLTKeyHintDialog.ShowHintText(title, text);
         },
         [&formRTModeHintDialog](uint32_t mode, const std::u16string& title,
                                 const std::u16string& text) {
           formRTModeHintDialog.ShowHintText(mode, title, text);
         }});
    const ProgramEndingNotice ending(setup);
    if (setup.started) setup.started(mainForm);
    // The loop starts by showing the main window once, minimized.
    mainForm.ShowMinimizedOnce();
    RunMessageLoop(mainForm);
  } catch (...) {
    ShowExceptionReport(std::current_exception());
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
