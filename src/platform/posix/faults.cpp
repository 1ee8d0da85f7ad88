// The fault list of the POSIX file layer, from BLKCOPY_FAULTS or from tests.
#include "platform/posix/faults.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace PosixFaults {
namespace {

struct Rule {
  std::string function;
  unsigned long after = 0;
  DWORD error = ERROR_GEN_FAILURE;
  unsigned long times = 1;  // 0: every call after `after`
  unsigned long calls = 0;
};

std::mutex Lock;
std::vector<Rule> Rules;
// Read without the lock on every call, so that a run without faults pays for
// one atomic load per file call and nothing more.
std::atomic<bool> Armed{false};
bool EnvironmentRead = false;

bool ReadNumber(const std::string& text, unsigned long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  value = std::strtoul(text.c_str(), nullptr, 10);
  return errno == 0;
}

bool ReadSetting(const std::string& setting, Rule& rule) {
  const size_t equals = setting.find('=');
  if (equals == std::string::npos) return false;
  const std::string key = setting.substr(0, equals);
  unsigned long value = 0;
  if (!ReadNumber(setting.substr(equals + 1), value)) return false;
  if (key == "after") rule.after = value;
  else if (key == "times") rule.times = value;
  else if (key == "error" && value <= 0xFFFFFFFFul) rule.error = static_cast<DWORD>(value);
  else return false;
  return true;
}

bool ReadRule(const std::string& text, Rule& rule) {
  size_t start = 0;
  bool first = true;
  while (start <= text.size()) {
    size_t end = text.find(':', start);
    if (end == std::string::npos) end = text.size();
    const std::string part = text.substr(start, end - start);
    if (first) {
      if (part.empty()) return false;
      rule.function = part;
      first = false;
    } else if (!ReadSetting(part, rule)) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

bool ReadList(const std::string& spec, std::vector<Rule>& rules, std::string* problem) {
  size_t start = 0;
  while (start < spec.size()) {
    size_t end = spec.find(',', start);
    if (end == std::string::npos) end = spec.size();
    Rule rule;
    const std::string text = spec.substr(start, end - start);
    if (!ReadRule(text, rule)) {
      if (problem) *problem = "can't read the fault rule \"" + text + "\"";
      return false;
    }
    rules.push_back(rule);
    start = end + 1;
  }
  return true;
}

// Caller holds the lock.
bool Install(const std::string& spec, std::string* problem) {
  std::vector<Rule> rules;
  const bool good = ReadList(spec, rules, problem);
  Rules = good ? rules : std::vector<Rule>();
  Armed.store(!Rules.empty());
  EnvironmentRead = true;
  return good;
}

void ReadEnvironmentOnce() {
  if (EnvironmentRead) return;
  const char* spec = std::getenv("BLKCOPY_FAULTS");
  std::string problem;
  if (!Install(spec ? spec : "", &problem))
    std::fprintf(stderr, "BLKCOPY_FAULTS ignored: %s\n", problem.c_str());
}

// Armed stays false until the environment has been read, so the slow path
// must also run once when nothing was ever set.
std::once_flag EnvironmentCheck;

}  // namespace

bool SetFaults(const std::string& spec, std::string* problem) {
  std::lock_guard<std::mutex> guard(Lock);
  return Install(spec, problem);
}

void ClearFaults() { SetFaults(std::string()); }

bool CallFails(const char* function) {
  std::call_once(EnvironmentCheck, [] {
    std::lock_guard<std::mutex> guard(Lock);
    ReadEnvironmentOnce();
  });
  if (!Armed.load(std::memory_order_relaxed)) return false;
  std::lock_guard<std::mutex> guard(Lock);
  bool fails = false;
  for (Rule& rule : Rules) {
    if (rule.function != function) continue;
    const unsigned long call = rule.calls++;
    if (fails || call < rule.after || (rule.times != 0 && call - rule.after >= rule.times))
      continue;
    SetLastError(rule.error);
    fails = true;
  }
  return fails;
}

}  // namespace PosixFaults
