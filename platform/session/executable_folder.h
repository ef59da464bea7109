// The folder of the running executable (links resolved), with a trailing
// '/'. The program's Data folder lies beside it, never relative to the
// working directory.
#pragma once

#include <string>

std::string ExecutableFolder();
std::string ExecutablePath();
