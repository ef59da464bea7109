#include "app/win32/message_loop.h"

#include <windows.h>

#include "app/win32/MainUnit.h"

void RunMessageLoop(TMainForm& form) {
  for (;;) {
    HANDLE arrivals[1];
    DWORD count = 0;
    if (form.ArrivalHandle() != kNoWaitHandle) {
      arrivals[count++] = reinterpret_cast<HANDLE>(form.ArrivalHandle());
    }
    // Sleeps until a message or an arrival: nothing runs while idle.
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(count, arrivals, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count > 0 && woken == WAIT_OBJECT_0) form.PostDeviceChanges();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}
