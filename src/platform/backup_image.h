// The named streams found in an object's backup image, the sequence that
// Win32's BackupRead delivers: for each stream a 20-byte header (identifier,
// attributes, 64-bit size with the low half first, name size in bytes), its
// UTF-16 name, then its data. The walk takes the read and seek calls as
// parameters, so it runs the same on the real interface and on a recorded image.
#ifndef KORVEN_PLATFORM_BACKUP_IMAGE_H_
#define KORVEN_PLATFORM_BACKUP_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace korven {

constexpr size_t kStreamHeaderSize = 20;
// The most name bytes a header may announce: what the reader's 16 KiB work
// buffer holds behind the header. Stream names are far shorter.
constexpr uint32_t kMaxStreamNameBytes = 16384 - kStreamHeaderSize;

// What one read of the image delivered besides a count of bytes.
constexpr int64_t kBackupReadFailed = -1;
constexpr int64_t kBackupUnsupported = -2;  // the platform has no backup interface

struct BackupImageCalls {
  // Reads up to `count` bytes of the image: the bytes delivered (0 at its
  // end), kBackupReadFailed or kBackupUnsupported.
  std::function<int64_t(void* buffer, uint32_t count)> read;
  // Skips what is left of the current stream's data.
  std::function<void()> skipData;
  // A stream name as text: `units` UTF-16 units.
  std::function<std::string(const char16_t* units, size_t count)> nameText;
};

// Appends every named stream of the image to `streams`, in image order;
// unnamed streams (the main data, the security data, ...) are skipped. A
// name shorter than its header announced ends the walk with kRead and the
// streams before it. An image the platform cannot read at all has no streams.
StreamsRead ReadBackupImage(const BackupImageCalls& calls, std::vector<StreamEntry>* streams);

}  // namespace korven

#endif  // KORVEN_PLATFORM_BACKUP_IMAGE_H_
