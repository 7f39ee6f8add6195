// The one header of the Windows platform layer that includes <windows.h>.
// Everything outside platform/win32 stays free of the Windows headers.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// platform/files.h declares functions with these names; the A/W macros of
// <windows.h> would rename them. This layer calls the W functions by name.
#undef DeleteFile
#undef CopyFile
#undef GetFileAttributes
