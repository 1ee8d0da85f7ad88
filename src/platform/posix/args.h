// The argument text on POSIX, rebuilt from the process's arguments. Private to
// src/platform/posix/; the pieces are separate so they can be checked without
// starting a process.
#pragma once

#include <string>
#include <vector>

// Splits the bytes of /proc/self/cmdline (each argument ends with a NUL) and
// decodes the arguments after the program's own name from UTF-8. False, with
// a message for the user in `problem`, when an argument is not valid UTF-8.
bool DecodeArguments(const std::string& cmdline, std::vector<std::wstring>& args,
                     std::wstring& problem);
// Joins arguments into a text that the command-line tokenizer cuts back into
// exactly these arguments: one space between them, double quotes around an
// argument that holds a space or is empty. False, with a message in
// `problem`, when an argument holds a double quote, which that text can't
// carry.
bool JoinArguments(const std::vector<std::wstring>& args, std::wstring& text,
                   std::wstring& problem);
