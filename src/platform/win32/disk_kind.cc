// The kind of disk that holds a file on Win32: whether the volume's device
// incurs a seek penalty, as the storage driver reports it.
#include <windows.h>
#include <winioctl.h>

#include <cstddef>

#include "platform/win32/wide_names.h"
#include "platform/win32/win32_file_system.h"

namespace korven {

DiskKind Win32FileSystem::DiskKindOf(const std::string& path) {
  const std::wstring system = SystemPath(path);
  if (system.empty()) return DiskKind::kUnknown;
  const std::wstring full = FullPath(system);
  const std::wstring drive = full.substr(DevicePrefixLength(full));
  // A share (\\server\share, \\?\UNC\...) or a volume without a letter: no device to ask.
  const wchar_t letter = drive.empty() ? L'\0' : static_cast<wchar_t>(drive[0] | 0x20);
  if (drive.size() < 2 || drive[1] != L':' || letter < L'a' || letter > L'z') return DiskKind::kUnknown;
  HANDLE volume = CreateFileW((L"\\\\.\\" + drive.substr(0, 2)).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (volume == INVALID_HANDLE_VALUE) return DiskKind::kUnknown;
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = StorageDeviceSeekPenaltyProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_SEEK_PENALTY_DESCRIPTOR penalty = {};
  DWORD returned = 0;
  const bool asked = DeviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &penalty,
                                     sizeof penalty, &returned, nullptr) != 0;
  CloseHandle(volume);
  if (!asked || returned <= offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty)) return DiskKind::kUnknown;
  return penalty.IncursSeekPenalty ? DiskKind::kRotational : DiskKind::kSolidState;
}

}  // namespace korven
