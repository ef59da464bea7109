// Root may open and change what the permission bits forbid; a test that
// checks what an ordinary user meets drops those overrides in a child
// process first.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Drops the capabilities that let root read, write and change files where
// the permission bits or the file's owner say no, for the calling process.
inline void DropFileOverrides() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return;
  for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
    data[capability / 32].effective &= ~(1u << (capability % 32));
  }
  syscall(SYS_capset, &header, data);
}
