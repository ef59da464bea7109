// corvane-simulator.exe: the whole program on simulated devices, driven by
// a scenario (a file given as the argument, or standard input), with the
// same trace lines as on Linux. Each scenario command runs on the
// user-interface thread: the reading thread posts it to a message-only
// window and waits, through the handover, until the window has run it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <functional>
#include <memory>
#include <string>

#include "app/simulator/simulator_setup.h"
#include "app/simulator/simulator_trace.h"
#include "app/win32/MainUnit.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr UINT kRunMessage = WM_APP + 10;

LRESULT CALLBACK RunnerWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kRunMessage) {
    const std::unique_ptr<std::function<void()>> call(
        reinterpret_cast<std::function<void()>*>(lParam));
    (*call)();
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

HWND CreateRunnerWindow() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = RunnerWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"CorvaneSimulatorRunner";
  RegisterClassExW(&windowClass);
  return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         windowClass.hInstance, nullptr);
}

class Win32ScenarioWindow : public ScenarioWindow {
 public:
  explicit Win32ScenarioWindow(TMainForm& form) : m_Form(form) {
    form.SetMessageTrace([](const Message& m) { WriteTraceLine(MessageTraceLine(m)); });
  }
  MessagePoster& Poster() override { return m_Form.Poster(); }
  void ChooseLanguage(const std::string& language) override {
    const UINT item = language == "ChineseS"   ? TMainForm::N4
                      : language == "ChineseT" ? TMainForm::N5
                                               : TMainForm::N6;
    SendMessageW(m_Form.Handle(), WM_COMMAND, item, 0);  // as the menu's click
  }
  void Close() override { m_Form.N1Click(); }

 private:
  TMainForm& m_Form;
};

// The scenario path as the user typed it, whatever the ANSI code page.
std::string ScenarioPath() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string path = count > 1 ? Utf8FromWide(arguments[1]) : std::string();
  LocalFree(arguments);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  HWND runnerWindow = nullptr;
  SimulatorShell shell;
  shell.scenarioPath = ScenarioPath();
  shell.makeWindow = [](TMainForm& form) { return std::make_unique<Win32ScenarioWindow>(form); };
  shell.uiThreadPost = [&runnerWindow](TMainForm&) {
    runnerWindow = CreateRunnerWindow();
    return [runnerWindow](std::function<void()> call) {
      auto posted = std::make_unique<std::function<void()>>(std::move(call));
      if (PostMessageW(runnerWindow, kRunMessage, 0, reinterpret_cast<LPARAM>(posted.get()))) {
        posted.release();  // the runner window's procedure owns it now
      }
    };
  };
  const ProgramSetup setup = SimulatorSetup(std::move(shell));
  const int status = RunProgram(argc, argv, setup);
  if (runnerWindow != nullptr) DestroyWindow(runnerWindow);
  return status;
}
