#include "Peer.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace bench {

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The one line the script prints; a script that fails stops the benchmark.
std::string RunPeer(const std::string& args, const char* script = "mutagen_peer.py") {
  const std::string command = std::string("/usr/bin/python3 " QUILLORY_BENCH_DIR "/") + script + " " + args;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot start: " + command);
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  if (::pclose(pipe) != 0 || out.empty()) throw std::runtime_error("failed: " + command);
  return out;
}

}  // namespace

double PeerLoad(const std::string& folder) { return std::atof(RunPeer("load " + Quoted(folder)).c_str()); }

double PeerLoadAny(const std::string& folder) { return std::atof(RunPeer("load-any " + Quoted(folder)).c_str()); }

double PeerSaveAny(const std::string& folder, const std::string& artist) {
  return std::atof(RunPeer("save-any " + Quoted(folder) + " " + Quoted(artist)).c_str());
}

double PeerSave(const std::string& folder, const std::string& artist) {
  return std::atof(RunPeer("save " + Quoted(folder) + " " + Quoted(artist)).c_str());
}

int PeerConvert(const std::string& folder, int version) {
  return std::atoi(RunPeer("convert " + Quoted(folder) + " " + std::to_string(version)).c_str());
}

double Kid3Load(const std::string& folder) {
  const std::string out = RunPeer("load " + Quoted(folder), "kid3_peer.py");
  return out[0] == '-' ? -1 : std::atof(out.c_str());
}

double Kid3Save(const std::string& folder, const std::string& artist) {
  const std::string out = RunPeer("save " + Quoted(folder) + " " + Quoted(artist), "kid3_peer.py");
  return out[0] == '-' ? -1 : std::atof(out.c_str());
}

}  // namespace bench
