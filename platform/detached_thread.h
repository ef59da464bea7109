// Starting a thread nobody joins: it runs its body to the end and frees
// itself. Each platform starts it with its own system call; on Windows that
// is _beginthreadex, because a detached std::thread of mingw-w64's
// winpthreads can, under load, lose its start and never run its body.
#pragma once

#include <functional>

// Runs `body` on a new detached thread. False, with `body` not run, when the
// system cannot make a thread.
bool StartDetachedThread(std::function<void()> body);
