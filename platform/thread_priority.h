// Raising the calling thread to the highest scheduling it may have, for the
// device monitors that must post a mode change the moment it is reported.
#pragma once

// SCHED_FIFO where the process may use it, else the lowest nice value the
// process may set. A refusal is not an error: the thread then simply keeps
// its normal priority.
void RaiseCurrentThreadPriority();
