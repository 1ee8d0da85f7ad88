// Windows side of src/platform/platform.h: the only place <windows.h> is
// included.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winioctl.h>
#include <tlhelp32.h>
#include <psapi.h>
