#include <base/Launch.h>

#include <cctype>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace base {

namespace {

// The reporter never outlives this many seconds, whatever the program does.
constexpr unsigned kReporterLifeS = 10;

}  // namespace

bool IsAddress(const std::string& s) {
  const auto colon = s.find(':');
  if (colon == std::string::npos || colon == 0 || s[0] == '/') return false;
  for (std::size_t i = 0; i < colon; ++i)
    if (!std::isalnum(static_cast<unsigned char>(s[i])) && s[i] != '+' && s[i] != '-' && s[i] != '.') return false;
  return s.compare(colon, 3, "://") == 0 || s.compare(0, colon, "mailto") == 0;
}

std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

int LaunchDetached(const std::string& program, const std::vector<std::string>& args, int verdictMs) {
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return 255;
  const pid_t first = ::fork();
  if (first == 0) {
    // Only async-signal-safe calls from here on.
    if (::fork() != 0) ::_exit(0);
    ::signal(SIGPIPE, SIG_IGN);
    ::alarm(kReporterLifeS);
    const pid_t opener = ::fork();
    if (opener == 0) {
      ::setsid();
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    int status = 0;
    unsigned char code = 255;
    if (opener > 0 && ::waitpid(opener, &status, 0) == opener && WIFEXITED(status))
      code = static_cast<unsigned char>(WEXITSTATUS(status));
    [[maybe_unused]] const auto written = ::write(fds[1], &code, 1);
    ::_exit(0);
  }
  ::close(fds[1]);
  if (first < 0) {
    ::close(fds[0]);
    return 255;
  }
  int status = 0;
  ::waitpid(first, &status, 0);
  pollfd p{fds[0], POLLIN, 0};
  int result = -1;
  if (::poll(&p, 1, verdictMs) == 1) {
    unsigned char code = 255;
    result = ::read(fds[0], &code, 1) == 1 ? code : 255;
  }
  ::close(fds[0]);
  return result;
}

}  // namespace base
