// The fault list, from BLKCOPY_FAULTS or from tests, and the calls that stand
// in front of the engine's own while a list is set. The engine makes its file
// calls from one thread, so the counts need no lock.
#include "support/faults/file_faults.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fileio/file_calls.h"

namespace FileFaults {
namespace {

struct Rule {
  std::string function;
  unsigned long after = 0;
  DWORD error = ERROR_GEN_FAILURE;
  unsigned long times = 1;  // 0: every call after `after`
  unsigned long calls = 0;
  unsigned long cut = 0;  // ReadFile: succeed with at most this many bytes
};

std::vector<Rule> Rules;
// The calls the faults stand in front of, while they do.
modFileIO::FileCalls Under;
bool Standing = false;
// Set by CallFails when a rule cuts the call's read short instead.
unsigned long CutTo = 0;

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
  else if (key == "short") rule.cut = value;
  else if (key == "error" && value <= 0xFFFFFFFFul) rule.error = static_cast<DWORD>(value);
  else return false;
  return true;
}

// The parts of `text` between `separator`s; an empty text is one empty part.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t end = std::min(text.find(separator, start), text.size());
    parts.push_back(text.substr(start, end - start));
    if (end == text.size()) return parts;
    start = end + 1;
  }
}

bool ReadRule(const std::string& text, Rule& rule) {
  const std::vector<std::string> parts = Split(text, ':');
  rule.function = parts[0];
  for (size_t i = 1; i < parts.size(); ++i)
    if (!ReadSetting(parts[i], rule)) return false;
  // A rule for a call the table doesn't fail would arm nothing and let a
  // test pass that tried nothing.
  for (const char* known : {"CreateFileA", "ReadFile", "WriteFile", "SetFilePointer",
                            "GetFileSize", "FlushFileBuffers", "LockFile", "VirtualAlloc"})
    if (rule.function == known) return true;
  return false;
}

bool ReadList(const std::string& spec, std::vector<Rule>& rules, std::string* problem) {
  std::vector<std::string> texts = Split(spec, ',');
  if (texts.back().empty()) texts.pop_back();  // no list at all, or one that ends in a comma
  for (const std::string& text : texts) {
    Rule rule;
    if (!ReadRule(text, rule)) {
      if (problem) *problem = "can't read the fault rule \"" + text + "\"";
      return false;
    }
    rules.push_back(rule);
  }
  return true;
}

HANDLE WINAPI FaultyCreateFileA(LPCSTR name, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE templateFile) {
  if (CallFails("CreateFileA")) return INVALID_HANDLE_VALUE;
  return Under.CreateFileA(name, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI FaultyReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got,
                           LPOVERLAPPED overlapped) {
  CutTo = 0;
  if (!CallFails("ReadFile"))
    return Under.ReadFile(file, buffer, CutTo > 0 && CutTo < size ? CutTo : size, got, overlapped);
  if (got) *got = 0;
  return FALSE;
}

BOOL WINAPI FaultyWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD put,
                            LPOVERLAPPED overlapped) {
  if (!CallFails("WriteFile")) return Under.WriteFile(file, buffer, size, put, overlapped);
  if (put) *put = 0;
  return FALSE;
}

DWORD WINAPI FaultySetFilePointer(HANDLE file, LONG low, PLONG high, DWORD method) {
  if (CallFails("SetFilePointer")) return INVALID_SET_FILE_POINTER;
  return Under.SetFilePointer(file, low, high, method);
}

DWORD WINAPI FaultyGetFileSize(HANDLE file, LPDWORD high) {
  if (CallFails("GetFileSize")) return INVALID_FILE_SIZE;
  return Under.GetFileSize(file, high);
}

BOOL WINAPI FaultyFlushFileBuffers(HANDLE file) {
  return !CallFails("FlushFileBuffers") && Under.FlushFileBuffers(file);
}

BOOL WINAPI FaultyLockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD sizeLow,
                           DWORD sizeHigh) {
  return !CallFails("LockFile") && Under.LockFile(file, offsetLow, offsetHigh, sizeLow, sizeHigh);
}

LPVOID WINAPI FaultyVirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
  if (CallFails("VirtualAlloc")) return nullptr;
  return Under.VirtualAlloc(address, size, type, protect);
}

// An armed list stands in front of the calls in use; none puts them back.
void Stand(bool armed) {
  if (armed && !Standing) {
    Under = modFileIO::FilePlatform;
    modFileIO::FileCalls faulty = Under;
    faulty.CreateFileA = FaultyCreateFileA;
    faulty.ReadFile = FaultyReadFile;
    faulty.WriteFile = FaultyWriteFile;
    faulty.SetFilePointer = FaultySetFilePointer;
    faulty.GetFileSize = FaultyGetFileSize;
    faulty.FlushFileBuffers = FaultyFlushFileBuffers;
    faulty.LockFile = FaultyLockFile;
    faulty.VirtualAlloc = FaultyVirtualAlloc;
    modFileIO::FilePlatform = faulty;
  } else if (!armed && Standing) {
    modFileIO::FilePlatform = Under;
  }
  Standing = armed;
}

}  // namespace

bool SetFaults(const std::string& spec, std::string* problem) {
  std::vector<Rule> rules;
  const bool good = ReadList(spec, rules, problem);
  Rules = good ? rules : std::vector<Rule>();
  Stand(!Rules.empty());
  return good;
}

void ClearFaults() { SetFaults(std::string()); }

void SetFaultsFromEnvironment() {
  const char* spec = std::getenv("BLKCOPY_FAULTS");
  std::string problem;
  if (!SetFaults(spec ? spec : "", &problem))
    std::fprintf(stderr, "BLKCOPY_FAULTS ignored: %s\n", problem.c_str());
}

bool CallFails(const char* function) {
  bool fails = false;
  for (Rule& rule : Rules) {
    if (rule.function != function) continue;
    const unsigned long call = rule.calls++;
    if (fails || call < rule.after || (rule.times != 0 && call - rule.after >= rule.times))
      continue;
    if (rule.cut > 0) {
      CutTo = rule.cut;
      continue;
    }
    SetLastError(rule.error);
    fails = true;
  }
  return fails;
}

}  // namespace FileFaults
