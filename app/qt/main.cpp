// corvane-notification: the program on the machine's own HID devices.
#include <memory>

#include "app/program.h"
#include "platform/linux/hidraw_backend.h"

int main(int argc, char** argv) {
  ProgramSetup setup;
  setup.makeBackend = [] { return std::make_shared<HidrawBackend>(); };
  return RunProgram(argc, argv, setup);
}
