// The command-line text on POSIX, rebuilt from /proc/self/cmdline so that
// splitting it gives back exactly the arguments the shell passed.
#include "platform/posix/args.h"

#include <fstream>
#include <iterator>

#include "platform/platform.h"
#include "platform/textconv.h"

bool DecodeArguments(const std::string& cmdline, std::vector<std::wstring>& args,
                     std::wstring& problem) {
  args.clear();
  size_t start = cmdline.find('\0');  // past the program's own name
  if (start == std::string::npos) return true;
  for (++start; start < cmdline.size();) {
    size_t end = cmdline.find('\0', start);
    if (end == std::string::npos) end = cmdline.size();
    const std::string bytes = cmdline.substr(start, end - start);
    std::wstring argument;
    const int size = static_cast<int>(bytes.size());
    const int count = size == 0 ? 0
                                : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                      size, nullptr, 0);
    if (size > 0 && count <= 0) {
      // Decoded loosely only to show the user which argument it is.
      problem = L"Argument " + std::to_wstring(args.size() + 1) + L" (" + FromAnsi(bytes) +
                L") is not valid UTF-8 text, so it can't be passed on exactly; rename the file "
                L"or use a path in UTF-8.";
      return false;
    }
    argument.resize(static_cast<size_t>(count));
    if (count > 0)
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, &argument[0], count);
    args.push_back(argument);
    start = end + 1;
  }
  return true;
}

bool JoinArguments(const std::vector<std::wstring>& args, std::wstring& text,
                   std::wstring& problem) {
  text.clear();
  for (const std::wstring& argument : args) {
    if (argument.find(L'"') != std::wstring::npos) {
      // Quotes are the tokenizer's own syntax; passing one on would change
      // where the paths begin and end.
      problem = L"The argument " + argument +
                L" holds a double quote (\"), which blkcopy can't take on its command line; "
                L"rename the file or use a path without double quotes.";
      return false;
    }
    if (!text.empty()) text += L' ';
    if (argument.empty() || argument.find(L' ') != std::wstring::npos)
      text += L'"' + argument + L'"';
    else
      text += argument;
  }
  return true;
}

bool GetArgumentText(std::wstring& text, std::wstring& problem) {
  text.clear();
  problem.clear();
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  if (!file) {
    problem = L"The command line could not be read (/proc/self/cmdline is not available).";
    return false;
  }
  const std::string cmdline((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
  std::vector<std::wstring> args;
  return DecodeArguments(cmdline, args, problem) && JoinArguments(args, text, problem);
}
