#include "platform/backup_image.h"

namespace korven {

namespace {

uint32_t Little32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

struct StreamHeader {
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint32_t nameBytes = 0;
};

// Reads the next header. kRead with `*atEnd` when the image is used up.
StreamsRead ReadHeader(const BackupImageCalls& calls, StreamHeader* header, bool* atEnd) {
  unsigned char bytes[kStreamHeaderSize];
  const int64_t got = calls.read(bytes, kStreamHeaderSize);
  *atEnd = got == 0 || got == kBackupUnsupported;
  if (*atEnd) return StreamsRead::kRead;
  if (got != static_cast<int64_t>(kStreamHeaderSize)) return StreamsRead::kHeaderUnreadable;
  // The identifier (bytes 0-3) does not matter: every stream with a name is listed.
  header->attributes = Little32(bytes + 4);
  header->size = Little32(bytes + 8) | static_cast<uint64_t>(Little32(bytes + 12)) << 32;
  header->nameBytes = Little32(bytes + 16);
  return StreamsRead::kRead;
}

}  // namespace

StreamsRead ReadBackupImage(const BackupImageCalls& calls, std::vector<StreamEntry>* streams) {
  std::u16string name;
  for (;;) {
    StreamHeader header;
    bool atEnd = false;
    const StreamsRead read = ReadHeader(calls, &header, &atEnd);
    if (read != StreamsRead::kRead || atEnd) return read;
    if (header.nameBytes > 0) {
      if (header.nameBytes > kMaxStreamNameBytes) return StreamsRead::kNameUnreadable;
      name.assign((header.nameBytes + 1) / 2, u'\0');
      const int64_t got = calls.read(name.data(), header.nameBytes);
      if (got < 0) return StreamsRead::kNameUnreadable;
      if (got < static_cast<int64_t>(header.nameBytes)) return StreamsRead::kRead;
      streams->push_back(StreamEntry{calls.nameText(name.data(), header.nameBytes / 2), header.size,
                                     header.attributes});
    }
    if (static_cast<int64_t>(header.size) > 0) calls.skipData();
  }
}

}  // namespace korven
