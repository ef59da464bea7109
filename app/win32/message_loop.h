// The user-interface thread's message loop: window messages, and the
// arrivals a simulated backend signals on its own handle.
#pragma once

class TMainForm;

// Returns when WM_QUIT arrives.
void RunMessageLoop(TMainForm& form);
