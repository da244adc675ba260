// The seam's file handle is the operating system's HANDLE.
#ifndef KORVEN_PLATFORM_WIN32_HANDLE_H_
#define KORVEN_PLATFORM_WIN32_HANDLE_H_

#include <windows.h>

#include "platform/file_system.h"

namespace korven {

inline HANDLE AsHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }
inline FileHandle AsFileHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

}  // namespace korven

#endif  // KORVEN_PLATFORM_WIN32_HANDLE_H_
