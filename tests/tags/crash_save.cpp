// The crash test: a save of a folder whose tags grow (fourteen setters per
// file, as Save all calls them), killed with SIGKILL at many moments, must
// leave every file under its own name, byte for byte its old self or its new
// one (ID3v2 and ID3v1 as a whole, read by mutagen too), with its mode and
// its audio; whatever a kill leaves besides is a temporary of the writer.
//   tags_crash run [--quick] [--seed N] [--files N] [--kills N] [--dir D]
//       kills at random moments (fixed seed) and, under strace, just before
//       chosen system calls; prints the figures, fails on any loss
//   tags_crash save FOLDER      the save that is killed
//   tags_crash corpus FOLDER [--quick] [--seed N] [--files N]
//       lays the folder the kills work on, to look at by hand
//   tags_crash fsync-cost [--dir D] [--files N]
//       what flushing an in-place write costs per file
#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Run(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

std::uint64_t Hash(const char* data, std::size_t size) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::size_t i = 0; i < size; ++i) h = (h ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
  return h;
}

std::string Syncsafe(std::size_t n) {
  return {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
}

std::size_t TagEnd(const std::string& bytes) {
  if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0) return 0;
  const auto b = [&bytes](int i) { return std::size_t{static_cast<unsigned char>(bytes[i])}; };
  return 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
}

// --- The folder a save works on -------------------------------------------

std::string Frame(const char* id, const std::string& payload) {
  const std::size_t n = payload.size();
  return id + std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n)} + std::string(2, '\0') + payload;
}

std::string Field(const std::string& text, std::size_t width) {
  std::string out = text.substr(0, width);
  return out + std::string(width - out.size(), '\0');
}

// Real MPEG frames (a fixture's audio), repeated to the size wanted.
std::string Audio(std::size_t size) {
  const std::string fixture = ReadAll(QUILLORY_FIXTURES_DIR "/untagged.mp3");
  std::string audio;
  while (audio.size() < size) audio += fixture;
  return audio;
}

// File i of the folder. Every third has room for the new tags (written in
// place unless its ID3v1 block changes too); the others must grow. Every
// second has an ID3v1 tag, with an APE tag or Lyrics3 before it; one in five
// is 0640.
struct CCorpusFile {
  std::string name, bytes;
  mode_t mode;
};

CCorpusFile MakeFile(int i, std::size_t audioSize) {
  CCorpusFile file;
  char name[32];
  std::snprintf(name, sizeof name, "song %02d.mp3", i);
  file.name = name;
  const std::string frames = Frame("TIT2", std::string(1, '\0') + "Old title " + std::to_string(i)) +
                             Frame("TPE1", std::string(1, '\0') + "Old artist") +
                             Frame("TALB", std::string(1, '\0') + "Old album") +
                             Frame("TRCK", std::string(1, '\0') + std::to_string(i + 1)) +
                             Frame("COMM", std::string("\0eng\0", 5) + "Old comment");
  const std::size_t region = 10 + frames.size() + (i % 3 == 0 ? 65536 : 256);
  std::string bytes = "ID3\3" + std::string(2, '\0') + Syncsafe(region - 10) + frames;
  bytes.resize(region, '\0');
  bytes += Audio(audioSize);
  const bool v1 = i % 2 == 0;
  if (i % 4 == 2) bytes += "APETAGEX" + std::string(24, 'a');
  if (i % 4 == 0) {
    const std::string lyrics = "LYRICSBEGININD0000211LYR00011Old lyrics.";
    char size[8];
    std::snprintf(size, sizeof size, "%06zu", lyrics.size());
    bytes += lyrics + size + "LYRICS200";
  }
  if (v1)
    bytes += "TAG" + Field("Old title " + std::to_string(i), 30) + Field("Old artist", 30) + Field("Old album", 30) +
             Field("1999", 4) + Field("Old comment", 28) + '\0' + char(i + 1) + char(17);
  file.bytes = std::move(bytes);
  file.mode = i % 5 == 4 ? 0640 : 0644;
  return file;
}

std::vector<CCorpusFile> MakeCorpus(int count, std::size_t minSize, std::size_t maxSize, std::mt19937& random) {
  std::vector<CCorpusFile> files;
  for (int i = 0; i < count; ++i)
    files.push_back(MakeFile(i, minSize + random() % (maxSize - minSize + 1)));
  return files;
}

void Lay(const std::vector<CCorpusFile>& files, const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const CCorpusFile& file : files) {
    WriteAll(folder / file.name, file.bytes);
    ::chmod((folder / file.name).c_str(), file.mode);
  }
}

// --- The save -------------------------------------------------------------

// Fourteen values, each longer than what the file holds.
CString Grown(const char* field, const std::string& name) {
  std::string value = std::string(field) + " of " + name + " –";
  for (int i = 0; i < 12 + static_cast<int>(std::strlen(field)); ++i) value += " ünïcödé ♫";
  return CString(value);
}

// Where the save notes when each grouped flush starts and ends (µs since it
// started), for kills timed inside them.
constexpr const char* kFlushLogVariable = "QUILLORY_CRASH_FLUSH_LOG";

int Save(const fs::path& folder) {
  const Clock::time_point start = Clock::now();
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".mp3") names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  int failures = 0;
  std::string flushLog;
  CMyMP3Tags tags;
  // As Save all does: writes in a batch, flushed together; several grouped
  // flushes in one run, as a large folder has.
  const auto flush = [&](bool end) {
    const auto us = [&start] {
      return std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
    };
    flushLog += us() + " ";
    for (const CWriteOutcome& outcome : end ? tags.EndBatch() : tags.CommitBatch())
      if (!outcome.strError.IsEmpty()) {
        std::fprintf(stderr, "%s: %s\n", outcome.strPath.GetString(), outcome.strError.GetString());
        ++failures;
      }
    flushLog += us() + "\n";
  };
  const std::size_t perFlush = std::max<std::size_t>(2, names.size() / 3);
  tags.BeginBatch();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    tags.Link(CString((folder / name).string()));
    tags.BeginUpdate();
    tags.SetArtist(Grown("Artist", name));
    tags.SetAlbum(Grown("Album", name));
    tags.SetTitle(Grown("Title", name));
    tags.SetTrack("5/9");
    tags.SetYear("2024");
    tags.SetOriginalArtist(Grown("Original artist", name));
    tags.SetComment(Grown("Comment", name));
    tags.SetComposer(Grown("Composer", name));
    tags.SetEncodedBy(Grown("Encoded by", name));
    tags.SetCopyright(Grown("Copyright", name));
    tags.SetURL(CString("http://example.com/" + std::to_string(name.size())));
    tags.SetBand(Grown("Band", name));
    tags.SetPublisher(Grown("Publisher", name));
    tags.SetConductor(Grown("Conductor", name));
    tags.EndUpdate();
    if (!tags.GetLastWriteError().IsEmpty()) {
      std::fprintf(stderr, "%s: %s\n", name.c_str(), tags.GetLastWriteError().GetString());
      ++failures;
    }
    tags.Reset();
    if (tags.IsBatchFull() || (i + 1) % perFlush == 0) flush(false);
  }
  flush(true);
  if (const char* log = std::getenv(kFlushLogVariable)) WriteAll(log, flushLog);
  return failures == 0 ? 0 : 2;
}

// Starts this program's save of the folder, under strace when given its
// arguments; returns the child.
pid_t StartSave(const fs::path& folder, const std::vector<std::string>& strace = {}) {
  std::vector<std::string> args = strace;
  args.insert(args.end(), {fs::read_symlink("/proc/self/exe").string(), "save", folder.string()});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

// --- What a file must be after a kill -------------------------------------

struct CFileFacts {
  std::uint64_t nBytes = 0;  // the whole file
  std::uint64_t nAudio = 0;  // after the ID3v2 tag, up to the ID3v1 block: audio and trailing tags
  mode_t mode = 0;
};

std::map<std::string, CFileFacts> Facts(const fs::path& folder) {
  std::map<std::string, CFileFacts> facts;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".mp3") continue;
    const std::string bytes = ReadAll(entry.path());
    const std::size_t start = std::min(TagEnd(bytes), bytes.size());
    std::size_t end = bytes.size();
    if (end - start >= 128 && bytes.compare(end - 128, 3, "TAG") == 0) end -= 128;
    struct stat st {};
    ::stat(entry.path().c_str(), &st);
    facts[entry.path().filename()] = {Hash(bytes.data(), bytes.size()), Hash(bytes.data() + start, end - start),
                                      st.st_mode & 07777};
  }
  return facts;
}

std::map<std::string, std::string> MutagenView(const fs::path& folder) {
  std::map<std::string, std::string> view;
  std::istringstream lines(Run("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_folder.py '" +
                               folder.string() + "'"));
  for (std::string line; std::getline(lines, line);) view[line.substr(0, line.find('\t'))] = line;
  return view;
}

struct CState {
  std::map<std::string, CFileFacts> facts;
  std::map<std::string, std::string> mutagen;
};

CState StateOf(const fs::path& folder) { return {Facts(folder), MutagenView(folder)}; }

struct CTally {
  int nKills = 0, nFinished = 0, nFiles = 0, nLost = 0, nTorn = 0, nMode = 0, nAudio = 0, nLeft = 0, nStrange = 0;
  int nOld = 0, nNew = 0;
  bool Sound() const { return nLost + nTorn + nMode + nAudio + nStrange == 0; }
};

// Checks the folder after one kill, then removes the writer's temporaries as
// loading the folder does and checks that nothing else is left.
void Check(const fs::path& folder, const CState& oldState, const CState& newState, const std::string& moment,
           CTally* tally) {
  const CState now = StateOf(folder);
  for (const auto& [name, old] : oldState.facts) {
    ++tally->nFiles;
    const auto found = now.facts.find(name);
    if (found == now.facts.end()) {
      ++tally->nLost;
      std::printf("  %s: %s LOST\n", moment.c_str(), name.c_str());
      continue;
    }
    const CFileFacts& f = found->second;
    const bool isOld = f.nBytes == old.nBytes, isNew = f.nBytes == newState.facts.at(name).nBytes;
    const std::string view = now.mutagen.count(name) ? now.mutagen.at(name) : "";
    const bool viewWhole = view == oldState.mutagen.at(name) || view == newState.mutagen.at(name);
    if ((!isOld && !isNew) || !viewWhole) {
      ++tally->nTorn;
      std::printf("  %s: %s TORN (%s)\n", moment.c_str(), name.c_str(), view.substr(0, 300).c_str());
    }
    tally->nOld += isOld;
    tally->nNew += isNew;
    if (f.mode != old.mode) {
      ++tally->nMode;
      std::printf("  %s: %s mode %o, was %o\n", moment.c_str(), name.c_str(), f.mode, old.mode);
    }
    if (f.nAudio != old.nAudio) {
      ++tally->nAudio;
      std::printf("  %s: %s AUDIO CHANGED\n", moment.c_str(), name.c_str());
    }
  }
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename();
    if (oldState.facts.count(name)) continue;
    if (CMyMP3Tags::IsOwnTemporary(CString(name)) && entry.path().extension() != ".mp3") {
      ++tally->nLeft;
      fs::remove(entry.path());
    } else {
      ++tally->nStrange;
      std::printf("  %s: unexpected %s\n", moment.c_str(), name.c_str());
    }
  }
}

// --- Where to kill --------------------------------------------------------

struct CMoment {
  std::string strSyscall;  // empty: after a delay
  int nWhen = 0;           // the syscall's ordinal (strace's when=), or the delay in µs
  std::string strWhat;
  std::size_t nSizeLimit = 0;  // ulimit -f for the save, in bytes; 0: none
};

// The system calls of a whole save, in order, as strace logs them.
std::vector<std::string> Syscalls(const fs::path& folder, const std::string& traced) {
  const fs::path log = folder.parent_path() / "strace.log";
  Wait(StartSave(folder, {"/usr/bin/strace", "-f", "-y", "-qq", "-o", log.string(), "-e", "trace=" + traced}));
  std::vector<std::string> lines;
  std::istringstream in(ReadAll(log));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  fs::remove(log);
  return lines;
}

// Kills just before the system calls that change a file, spread over the
// save: every rename, fchmod and ID3v1 write when few, else picks of them.
std::vector<CMoment> SyscallMoments(const std::vector<std::string>& log, int perKind, std::mt19937& random) {
  struct Kind {
    const char* name;
    const char* match;  // text the logged call must hold, or ""
    const char* what;
  };
  const Kind kinds[] = {{"rename", "", "rename"},           {"unlink", "", "unlink"},
                        {"fchmod", "", "fchmod"},           {"chmod", "", "chmod"},
                        {"write", "\"TAG", "ID3v1 write"},  {"pwrite64", "", "in-place write"},
                        {"fsync", "", "fsync"},             {"fsync", "/folder>", "folder flush"},
                        {"fdatasync", "", "fdatasync"},
                        {"copy_file_range", "", "audio copy"}, {"openat", "O_CREAT", "temporary created"}};
  std::vector<CMoment> moments;
  for (const Kind& kind : kinds) {
    // when= counts every call of the kind, matching or not, in each thread
    // apart: the flushes run on threads of their own, and a kill at the n-th
    // call comes in whichever thread makes its n-th first.
    std::set<int> ordinals;
    std::map<long, int> calls;  // by thread (the log line's first number)
    for (const std::string& line : log) {
      const std::size_t at = line.find(std::string(kind.name) + "(");
      if (at == std::string::npos || (at > 0 && std::isalnum(static_cast<unsigned char>(line[at - 1])))) continue;
      const int n = ++calls[std::atol(line.c_str())];
      if (line.find(kind.match) != std::string::npos) ordinals.insert(n);
    }
    if (ordinals.empty()) {
      std::printf("  no %s in a save: no kill before it\n", kind.what);
      continue;
    }
    std::vector<int> picks(ordinals.begin(), ordinals.end());
    if (static_cast<int>(picks.size()) > perKind) {
      std::shuffle(picks.begin() + 1, picks.end(), random);  // the first one always
      picks.resize(perKind);
    }
    std::sort(picks.begin(), picks.end());
    for (int when : picks)
      moments.push_back({kind.name, when, std::string(kind.what) + " #" + std::to_string(when)});
  }
  return moments;
}

// A save only removes a file when a new one could not be filled: under a file
// size limit every new file fails, and the kill comes before its removal.
std::vector<CMoment> UnlinkMoments(std::size_t sizeLimit) {
  if (::access("/usr/bin/prlimit", X_OK) != 0) {
    std::printf("  no prlimit: no kill before the removal of a failed new file\n");
    return {};
  }
  return {{"unlink", 1, "unlink of a failed new file #1", sizeLimit},
          {"unlink", 2, "unlink of a failed new file #2", sizeLimit}};
}

struct COptions {
  bool bQuick = false;
  unsigned nSeed = 14;
  int nFiles = 60, nKills = 48, nPerSyscall = 3, nFlushKills = 16;
  std::size_t nMinSize = 500000, nMaxSize = 3000000;  // bytes of audio per file
  fs::path dir = fs::temp_directory_path();
};

double FlushMs(const std::vector<std::pair<long, long>>& flushes) {
  long us = 0;
  for (const auto& [from, to] : flushes) us += to - from;
  return us / 1000.0;
}

int RunKills(const COptions& options) {
  std::mt19937 random(options.nSeed);
  const fs::path work = options.dir / ("quillory-crash-" + std::to_string(::getpid()));
  const fs::path folder = work / "folder";
  const std::size_t minSize = options.nMinSize, maxSize = options.nMaxSize;
  const std::vector<CCorpusFile> corpus = MakeCorpus(options.nFiles, minSize, maxSize, random);

  // What the files are before and after a whole save.
  Lay(corpus, folder);
  const CState oldState = StateOf(folder);
  const fs::path flushLog = work / "flushes.log";
  ::setenv(kFlushLogVariable, flushLog.c_str(), 1);
  const Clock::time_point start = Clock::now();
  const int status = Wait(StartSave(folder));
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  ::unsetenv(kFlushLogVariable);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("the save itself failed (status %d)\n", status);
    return 1;
  }
  const CState newState = StateOf(folder);
  std::printf("%d files of %zu-%zu bytes; a whole save takes %.0f ms\n", options.nFiles, minSize, maxSize,
              whole.count() / 1000.0);

  std::vector<CMoment> moments;
  for (int i = 0; i < options.nKills; ++i) {
    const int delay = static_cast<int>(random() % static_cast<unsigned>(whole.count()));
    moments.push_back({"", delay, "after " + std::to_string(delay / 1000) + " ms"});
  }
  // Kills inside the grouped flushes, spread over their spans.
  std::vector<std::pair<long, long>> flushes;
  std::istringstream spans(ReadAll(flushLog));
  for (long from, to; spans >> from >> to;) flushes.emplace_back(from, to);
  const int flushKills = flushes.empty() ? 0 : options.nFlushKills;
  for (int i = 0; i < flushKills; ++i) {
    const auto [from, to] = flushes[static_cast<std::size_t>(i) % flushes.size()];
    const int delay = static_cast<int>(from + static_cast<long>(random() % static_cast<unsigned>(to - from + 1)));
    moments.push_back({"", delay, "in a grouped flush, after " + std::to_string(delay / 1000) + " ms"});
  }
  if (::access("/usr/bin/strace", X_OK) == 0) {
    Lay(corpus, folder);
    const std::vector<CMoment> chosen = SyscallMoments(
        Syscalls(folder, "rename,unlink,fchmod,chmod,write,pwrite64,fsync,fdatasync,copy_file_range,openat"),
        options.nPerSyscall, random);
    moments.insert(moments.end(), chosen.begin(), chosen.end());
    const std::vector<CMoment> unlinks = UnlinkMoments(minSize * 9 / 10);
    moments.insert(moments.end(), unlinks.begin(), unlinks.end());
  } else {
    std::printf("no strace (apt-get install strace): kills at chosen system calls skipped\n");
  }

  CTally tally;
  for (const CMoment& moment : moments) {
    Lay(corpus, folder);
    int status = 0;
    if (moment.strSyscall.empty()) {
      const pid_t pid = StartSave(folder);
      std::this_thread::sleep_for(std::chrono::microseconds(moment.nWhen));
      ::kill(pid, SIGKILL);
      status = Wait(pid);
    } else {
      const std::string inject = moment.strSyscall + ":signal=KILL:when=" + std::to_string(moment.nWhen);
      std::vector<std::string> strace = {"/usr/bin/strace", "-f", "-qq", "-o", "/dev/null", "-e",
                                         "trace=" + moment.strSyscall, "-e", "inject=" + inject};
      if (moment.nSizeLimit > 0)
        strace.insert(strace.begin(), {"/usr/bin/prlimit", "--fsize=" + std::to_string(moment.nSizeLimit)});
      status = Wait(StartSave(folder, strace));
    }
    ++tally.nKills;
    const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    tally.nFinished += finished;
    if (finished) std::printf("  %s: the save ended before it\n", moment.strWhat.c_str());
    Check(folder, oldState, newState, moment.strWhat, &tally);
  }
  fs::remove_all(work);
  std::printf("kills: %d (%d inside %zu grouped flushes of %.0f ms in all, %d before chosen system calls;"
              " %d saves ended before their kill)\n",
              tally.nKills, flushKills, flushes.size(), FlushMs(flushes),
              static_cast<int>(moments.size()) - options.nKills - flushKills, tally.nFinished);
  std::printf("files checked: %d (old %d, new %d); lost %d, torn %d, mode changed %d, audio changed %d\n",
              tally.nFiles, tally.nOld, tally.nNew, tally.nLost, tally.nTorn, tally.nMode, tally.nAudio);
  std::printf("temporaries left by kills and removed: %d; other files left: %d\n", tally.nLeft, tally.nStrange);
  return tally.Sound() ? 0 : 1;
}

// --- What flushing costs --------------------------------------------------

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Per file, interleaved so that both see the same disk: a one-field save in
// place (render, one pwrite, fdatasync), then the same pwrite again with its
// fdatasync timed alone.
int FsyncCost(const COptions& options) {
  const fs::path folder = options.dir / ("quillory-fsync-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string fixture = ReadAll(QUILLORY_FIXTURES_DIR "/cbr_v23_latin1.mp3");
  std::vector<fs::path> files;
  for (int i = 0; i < options.nFiles; ++i) {
    files.push_back(folder / ("f" + std::to_string(i) + ".mp3"));
    WriteAll(files.back(), fixture);
  }
  ::sync();
  CMyMP3Tags tags;
  std::vector<double> saves, flushes;
  for (const fs::path& file : files) {
    const Clock::time_point start = Clock::now();
    tags.Link(CString(file.string()));
    tags.SetArtist("One field changed");
    tags.Reset();
    saves.push_back(Ms(Clock::now() - start));
    const int fd = ::open(file.c_str(), O_RDWR);
    const std::string bytes = ReadAll(file);
    const std::size_t region = TagEnd(bytes);
    if (fd < 0 || ::pwrite(fd, bytes.data(), region, 0) != static_cast<ssize_t>(region)) return 1;
    const Clock::time_point before = Clock::now();
    ::fdatasync(fd);
    flushes.push_back(Ms(Clock::now() - before));
    ::close(fd);
  }
  fs::remove_all(folder);
  const auto mean = [](const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / v.size(); };
  std::printf("in-place save of one field, per file (%d files in %s): median %.3f ms, mean %.3f ms;\n"
              "  its fdatasync alone: median %.3f ms, mean %.3f ms\n",
              options.nFiles, options.dir.c_str(), Median(saves), mean(saves), Median(flushes), mean(flushes));
  return 0;
}

COptions ParseOptions(int argc, char** argv, int first) {
  COptions options;
  for (int i = first; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
    if (arg == "--quick") {
      options.bQuick = true;
      options.nFiles = 6;
      options.nKills = 6;
      options.nPerSyscall = 1;
      options.nFlushKills = 3;
      options.nMinSize = 40000;
      options.nMaxSize = 120000;
    } else if (arg == "--seed") {
      options.nSeed = static_cast<unsigned>(std::stoul(next()));
    } else if (arg == "--files") {
      options.nFiles = std::stoi(next());
    } else if (arg == "--kills") {
      options.nKills = std::stoi(next());
    } else if (arg == "--dir") {
      options.dir = next();
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "save" && argc > 2) return Save(argv[2]);
  if (mode == "run") return RunKills(ParseOptions(argc, argv, 2));
  if (mode == "corpus" && argc > 2) {
    const COptions options = ParseOptions(argc, argv, 3);
    std::mt19937 random(options.nSeed);
    Lay(MakeCorpus(options.nFiles, options.nMinSize, options.nMaxSize, random), argv[2]);
    return 0;
  }
  if (mode == "fsync-cost") {
    COptions options = ParseOptions(argc, argv, 2);
    if (options.nFiles == 60) options.nFiles = 500;
    return FsyncCost(options);
  }
  std::fprintf(stderr, "usage: %s run [--quick] [--seed N] [--files N] [--kills N] [--dir D]\n"
                       "       %s save FOLDER\n       %s fsync-cost [--dir D] [--files N]\n",
               argv[0], argv[0], argv[0]);
  return 2;
}
