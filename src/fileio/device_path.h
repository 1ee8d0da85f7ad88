// Telling a device's or a volume's path from a file's. Private to
// src/fileio/.
#pragma once

#include <string>

namespace modFileIO {

// A device or volume path in any spelling: \\.\ or \\?\, either slash, with
// anything after it but a drive path with a folder (\\?\C:\dir\file) or a
// share's file (\\?\UNC\server\share\file).
bool IsDevicePath(const std::wstring& path);

}  // namespace modFileIO
