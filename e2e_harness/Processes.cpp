#include "Processes.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "App.h"

namespace e2e {

namespace {

// The fields of /proc/<pid>/stat after the command's name (which may hold
// spaces and parentheses): fields[0] is the state, the stat's third field.
std::vector<std::string> StatFields(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return {};
  std::istringstream rest(text.substr(close + 1));
  return {std::istream_iterator<std::string>(rest), std::istream_iterator<std::string>()};
}

}  // namespace

std::vector<pid_t> ProcessTree(pid_t root) {
  // Every process's parent and group; fields 4 and 5 of the stat.
  std::map<pid_t, std::pair<pid_t, pid_t>> processes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const pid_t pid = std::atoi(entry.path().filename().c_str());  // 0 for "self" and the like
    if (pid <= 0) continue;
    const std::vector<std::string> fields = StatFields(pid);
    if (fields.size() > 2) processes[pid] = {std::atoi(fields[1].c_str()), std::atoi(fields[2].c_str())};
  }
  if (!processes.count(root)) return {};
  std::vector<pid_t> tree = {root};
  std::set<pid_t> inTree = {root};
  // A child's pid is most often above its parent's, but not always (pids
  // wrap): look again until no process is added.
  for (bool added = true; added;) {
    added = false;
    for (const auto& [pid, parentAndGroup] : processes) {
      const auto [parent, group] = parentAndGroup;
      if (inTree.count(pid) || (group != root && !inTree.count(parent))) continue;
      tree.push_back(pid);
      inTree.insert(pid);
      added = true;
    }
  }
  return tree;
}

double TreeCpuSeconds(pid_t root) {
  double ticks = 0;
  for (const pid_t pid : ProcessTree(root)) {
    // utime, stime, cutime and cstime: fields 14 to 17.
    const std::vector<std::string> fields = StatFields(pid);
    if (fields.size() < 15) continue;
    for (int field = 14; field <= 17; ++field) ticks += std::atof(fields[field - 3].c_str());
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long TreeResidentKiB(pid_t root) {
  long total = 0;
  for (const pid_t pid : ProcessTree(root)) total += ResidentKiB(pid);
  return total;
}

}  // namespace e2e
