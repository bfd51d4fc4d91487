#include "FlushSwitch.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool g_bSkip = false;

}  // namespace

namespace bench {

void SkipFlushes(bool skip) { g_bSkip = skip; }

}  // namespace bench

// Found before the C library's when the program's libraries are bound.
extern "C" int fsync(int fd) { return g_bSkip ? 0 : static_cast<int>(::syscall(SYS_fsync, fd)); }
extern "C" int fdatasync(int fd) { return g_bSkip ? 0 : static_cast<int>(::syscall(SYS_fdatasync, fd)); }
