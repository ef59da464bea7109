#include "bench/process_figures.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The number after "Name:" in a /proc status-style file, 0 if absent.
long Field(const std::string& path, const std::string& name) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(name + ":", 0) == 0) return std::stol(line.substr(name.size() + 1));
  }
  return 0;
}

}  // namespace

ProcessFigures ReadProcessFigures(pid_t pid) {
  namespace fs = std::filesystem;
  const std::string folder = "/proc/" + std::to_string(pid);
  ProcessFigures figures;
  figures.rssKiB = Field(folder + "/status", "VmRSS");
  figures.threads = Field(folder + "/status", "Threads");
  figures.pssKiB = Field(folder + "/smaps_rollup", "Pss");
  figures.privateKiB = Field(folder + "/smaps_rollup", "Private_Clean") +
                       Field(folder + "/smaps_rollup", "Private_Dirty");
  std::error_code error;
  for (auto it = fs::directory_iterator(folder + "/fd", error); !error && it != fs::end(it);
       it.increment(error)) {
    ++figures.fds;
  }
  for (auto it = fs::directory_iterator(folder + "/task", error); !error && it != fs::end(it);
       it.increment(error)) {
    const std::string task = it->path().string();
    std::ifstream schedstat(task + "/schedstat");
    uint64_t onCpuNs = 0;
    schedstat >> onCpuNs;
    figures.cpuNs += onCpuNs;
    const auto switches =
        static_cast<uint64_t>(Field(task + "/status", "voluntary_ctxt_switches") +
                              Field(task + "/status", "nonvoluntary_ctxt_switches"));
    std::ifstream comm(task + "/comm");
    std::string name;
    std::getline(comm, name);
    figures.contextSwitches += switches;
    figures.byThread[name + "/" + it->path().filename().string()] = {onCpuNs, switches};
  }
  return figures;
}
