// What the running test process holds, for tests that check nothing is
// left behind: its open descriptors (Linux) or handles (Windows), and its
// threads.
#pragma once

#include <cstddef>

size_t OpenHandleCount();
size_t ThreadCount();
