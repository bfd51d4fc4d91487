#pragma once
// The benchmark's own fsync and fdatasync stand in for the C library's, for
// the program's libraries too, so that a save can be timed as it is and once
// more with its flushes skipped: the difference is what flushing costs.
namespace bench {

// While true, fsync and fdatasync return 0 at once.
void SkipFlushes(bool skip);

}  // namespace bench
