#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "platform/win32/ansi_text.h"
#include "platform/win32/file_time.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_file_system.h"

namespace korven {
namespace {

// Backup semantics so that directories and protected files open too.
HANDLE OpenExistingForReading(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN |
                         FILE_ATTRIBUTE_READONLY,
                     nullptr);
}

}  // namespace

std::wstring Win32FileSystem::SystemPath(const std::string& path) {
  std::wstring wide;
  return names_.Resolve(path, &wide) ? LongForm(wide) : std::wstring();
}

// A name typed at the console may be in the OEM code page: tried as ANSI
// first, then as OEM, without switching the code page of the whole process.
FileHandle Win32FileSystem::OpenForReading(const std::string& path) {
  const std::wstring ansi = SystemPath(path);
  HANDLE handle = ansi.empty() ? INVALID_HANDLE_VALUE : OpenExistingForReading(ansi);
  if (handle == INVALID_HANDLE_VALUE && path.find('?') == std::string::npos) {
    const std::wstring oem = LongForm(WideFrom(CP_OEMCP, path));
    if (oem != ansi) handle = OpenExistingForReading(oem);
  }
  return AsFileHandle(handle);
}

FileHandle Win32FileSystem::OpenFallback(const std::string& path) {
  return OpenWithRuntime(path, _O_RDONLY | _O_BINARY);
}

FileHandle Win32FileSystem::OpenWithRuntime(const std::string& path, int flags) {
  const std::wstring wide = SystemPath(path);
  if (wide.empty()) return kInvalidHandle;
  int descriptor = _wopen(wide.c_str(), flags);
  if (descriptor < 0) return kInvalidHandle;
  FileHandle handle = static_cast<FileHandle>(_get_osfhandle(descriptor));
  std::lock_guard<std::mutex> lock(runtimeMutex_);
  runtimeDescriptors_.emplace_back(handle, descriptor);
  return handle;
}

int64_t Win32FileSystem::Read(FileHandle handle, void* buffer, size_t count) {
  DWORD got = 0;
  DWORD wanted = static_cast<DWORD>(std::min<size_t>(count, 0x7FFFFFFF));
  if (!ReadFile(AsHandle(handle), buffer, wanted, &got, nullptr)) return -1;
  return got;
}

bool Win32FileSystem::Seek(FileHandle handle, uint64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(AsHandle(handle), distance, nullptr, FILE_BEGIN) != 0;
}

void Win32FileSystem::Close(FileHandle handle) {
  int descriptor = -1;
  {
    std::lock_guard<std::mutex> lock(runtimeMutex_);
    auto opened = std::find_if(runtimeDescriptors_.begin(), runtimeDescriptors_.end(),
                               [handle](const auto& entry) { return entry.first == handle; });
    if (opened != runtimeDescriptors_.end()) {
      descriptor = opened->second;
      runtimeDescriptors_.erase(opened);
    }
  }
  if (descriptor < 0) {
    CloseHandle(AsHandle(handle));
  } else {
    _close(descriptor);
  }
}

bool Win32FileSystem::Describe(FileHandle handle, FindEntry* entry) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(AsHandle(handle), &info)) return false;
  entry->attributes = info.dwFileAttributes | (entry->attributes & kAttrReparsePoint);
  entry->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  entry->times.creation = FromFileTime(info.ftCreationTime);
  entry->times.access = FromFileTime(info.ftLastAccessTime);
  entry->times.write = FromFileTime(info.ftLastWriteTime);
  entry->id.volume = info.dwVolumeSerialNumber;
  entry->id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool Win32FileSystem::GetAttributes(const std::string& path, uint32_t* attributes) {
  DWORD found = GetFileAttributesW(SystemPath(path).c_str());
  if (found == INVALID_FILE_ATTRIBUTES) return false;
  *attributes = found;
  return true;
}

bool Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(SystemPath(path).c_str(), attributes) != 0;
}

bool Win32FileSystem::TimesByHandle(const std::string& path, FileTimes* times) {
  HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!ok) return false;
  times->creation = FromFileTime(info.ftCreationTime);
  times->access = FromFileTime(info.ftLastAccessTime);
  times->write = FromFileTime(info.ftLastWriteTime);
  return true;
}

// A time of 0 leaves that time as it is. A symbolic link gets the times
// itself: the file it points to is not changed through it.
bool Win32FileSystem::SetTimes(const std::string& path, const FileTimes& times) {
  HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILETIME creation = ToFileTime(times.creation);
  FILETIME access = ToFileTime(times.access);
  FILETIME write = ToFileTime(times.write);
  bool ok = SetFileTime(handle, &creation, &access, &write) != 0;
  CloseHandle(handle);
  return ok;
}

// Only the drive letter counts: a path without one is of the "other" type.
// The name is asked of an open handle of the root: GetVolumeInformationA
// makes Wine print a line of its own on standard error when the device under
// the drive cannot be read, and the file-system name is plain ASCII anyway.
int Win32FileSystem::VolumeType(const std::string& path) {
  if (path.empty()) return kVolumeOther;
  std::string root = path.substr(0, 1) + ":\\";
  HANDLE handle = CreateFileA(root.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kVolumeOther;
  wchar_t fileSystemName[62] = L"";
  bool ok = GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, nullptr, fileSystemName,
                                          sizeof fileSystemName / sizeof fileSystemName[0]) != 0;
  CloseHandle(handle);
  if (!ok) return kVolumeOther;
  std::wstring name = fileSystemName;
  if (name == L"NTFS") return kVolumeNamedStreams;
  if (name == L"FAT32") return kVolumeFat;
  return kVolumeOther;
}

bool Win32FileSystem::DiskFree(const std::string& path, uint64_t* freeBytes) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, nullptr, nullptr)) return false;
  *freeBytes = available.QuadPart;
  return true;
}

// Asked of an open handle: a device name (CON, NUL) or a pipe opens as no
// disk file, which the attributes alone would not tell.
PathKind Win32FileSystem::KindOf(const std::string& path) {
  HANDLE handle = CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return PathKind::kNone;
  PathKind kind = PathKind::kOther;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info)) {
    kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kDirectory : PathKind::kRegularFile;
  }
  CloseHandle(handle);
  return kind;
}

FileSystem& RealFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace korven
