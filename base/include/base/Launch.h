#pragma once
// Handing work to another program: finding it on the PATH and starting it
// so that it outlives this one.
#include <string>
#include <vector>

namespace base {

// Whether s is an address ("scheme://..." or "mailto:...") rather than a path.
bool IsAddress(const std::string& s);
// The executable file name found in a folder of $PATH ("/usr/bin:/bin" when
// unset; an empty entry is the current folder); empty when none is.
std::string FindOnPath(const char* name);
// Starts program with args so that it outlives us and leaves no zombie: a
// short-lived reporter process waits for it and passes its exit code back
// through a pipe. Returns the exit code (127 when it could not be run, 255
// when it could not be started or did not exit normally), or -1 when the
// program is still running after verdictMs.
int LaunchDetached(const std::string& program, const std::vector<std::string>& args, int verdictMs);

}  // namespace base
