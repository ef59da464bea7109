// corvane-notification: the program on the machine's own HID devices.
#include "app/program.h"

int main(int argc, char** argv) {
  return RunProgram(argc, argv, ProgramSetup{});
}
