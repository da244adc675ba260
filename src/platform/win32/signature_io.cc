#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "platform/win32/handle.h"
#include "platform/win32/win32_file_system.h"

namespace korven {

// The runtime's low-level binary read-write open, as the signature expects;
// never of a symbolic link, which the runtime would follow.
FileHandle Win32FileSystem::OpenForUpdate(const std::string& path) {
  DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return kInvalidHandle;
  }
  return OpenWithRuntime(path, _O_RDWR | _O_BINARY);
}

int64_t Win32FileSystem::Write(FileHandle handle, const void* data, size_t count) {
  DWORD written = 0;
  DWORD wanted = static_cast<DWORD>(std::min<size_t>(count, 0x7FFFFFFF));
  if (!WriteFile(AsHandle(handle), data, wanted, &written, nullptr)) return -1;
  return written;
}

int64_t Win32FileSystem::SeekToEnd(FileHandle handle) {
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  LARGE_INTEGER end;
  return SetFilePointerEx(AsHandle(handle), zero, &end, FILE_END) != 0 ? end.QuadPart : -1;
}

bool Win32FileSystem::SetLength(FileHandle handle, uint64_t length) {
  return Seek(handle, length) && SetEndOfFile(AsHandle(handle)) != 0;
}

}  // namespace korven
