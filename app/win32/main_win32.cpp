// corvane-notification.exe: the program on the machine's own HID devices.
#include <memory>

#include "app/program.h"
#include "platform/win32/hid_backend_win32.h"

int main(int argc, char** argv) {
  ProgramSetup setup;
  setup.makeBackend = [] { return std::make_shared<Win32HidBackend>(); };
  return RunProgram(argc, argv, setup);
}
