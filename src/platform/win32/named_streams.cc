// Named streams on Win32: the object's backup image read with BackupRead,
// with the backup and restore privileges enabled once per run.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/backup_image.h"
#include "platform/win32/win32_file_system.h"

namespace korven {

namespace {

// A token-privileges record with room for the two privileges.
struct TwoPrivileges {
  DWORD count;
  LUID_AND_ATTRIBUTES privileges[2];
};

StreamsRead EnableBackupPrivileges() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return StreamsRead::kTokenUnopenable;
  }
  TwoPrivileges set{};
  StreamsRead result = StreamsRead::kRead;
  if (!LookupPrivilegeValueA(nullptr, "SeBackupPrivilege", &set.privileges[0].Luid)) {
    result = StreamsRead::kBackupPrivilegeUnknown;
  } else if (!LookupPrivilegeValueA(nullptr, "SeRestorePrivilege", &set.privileges[1].Luid)) {
    result = StreamsRead::kRestorePrivilegeUnknown;
  } else {
    set.count = 2;
    set.privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    set.privileges[1].Attributes = SE_PRIVILEGE_ENABLED;
    // A user who lacks the privileges goes on without them.
    AdjustTokenPrivileges(token, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&set), 0, nullptr, nullptr);
  }
  CloseHandle(token);
  return result;
}

std::string AnsiText(const char16_t* units, size_t count) {
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(units);
  int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(count), text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace

StreamsRead Win32FileSystem::NamedStreams(const std::string& path, std::vector<StreamEntry>* streams) {
  streams->clear();
  std::call_once(privilegesEnabled_, [this] { privileges_ = EnableBackupPrivileges(); });
  if (privileges_ != StreamsRead::kRead) return privileges_;

  HANDLE object = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (object == INVALID_HANDLE_VALUE) return StreamsRead::kRead;
  void* context = nullptr;
  BackupImageCalls calls;
  calls.read = [object, &context](void* buffer, uint32_t count) -> int64_t {
    DWORD got = 0;
    if (BackupRead(object, static_cast<LPBYTE>(buffer), count, &got, FALSE, TRUE, &context)) return got;
    // Wine, for one, has no backup interface: no named streams.
    DWORD error = GetLastError();
    return error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED ? kBackupUnsupported
                                                                             : kBackupReadFailed;
  };
  calls.skipData = [object, &context] {
    // The largest positive count: the seek stops at the end of the stream.
    DWORD low = 0;
    DWORD high = 0;
    BackupSeek(object, 0xFFFFFFFF, 0x7FFFFFFF, &low, &high, &context);
  };
  calls.nameText = AnsiText;
  StreamsRead result = ReadBackupImage(calls, streams);
  // Releases the backup context.
  DWORD none = 0;
  if (context != nullptr) BackupRead(object, nullptr, 0, &none, TRUE, FALSE, &context);
  CloseHandle(object);
  return result;
}

// "C:\DOCS\REPORT.TXT:info:$DATA" opens the stream itself.
FileHandle Win32FileSystem::OpenStream(const std::string& path, const std::string& streamName) {
  return OpenForReading(path + streamName);
}

}  // namespace korven
