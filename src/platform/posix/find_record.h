// Find records on POSIX, from what statx reports.
#ifndef KORVEN_PLATFORM_POSIX_FIND_RECORD_H_
#define KORVEN_PLATFORM_POSIX_FIND_RECORD_H_

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file_system.h"

namespace korven {

// What statx is asked for whenever a find record is made.
constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME |
                                  STATX_BTIME | STATX_INO;

// Fills `entry` from what statx found; the name it already holds decides the
// hidden attribute. False for objects that are never listed or walked:
// FIFOs, sockets and devices (an open could block).
bool FillEntry(const struct statx& st, FindEntry* entry);

// The find record of `name` under the directory descriptor `dirFd`. A
// symbolic link is followed and marked kAttrReparsePoint; `knownLink` says a
// directory read already found it to be one, which spares a statx.
bool StatAt(int dirFd, const char* name, bool knownLink, FindEntry* entry);

}  // namespace korven

#endif  // KORVEN_PLATFORM_POSIX_FIND_RECORD_H_
