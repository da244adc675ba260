#include "platform/posix/find_record.h"

#include <sys/sysmacros.h>

#include "platform/posix/posix_time.h"

namespace korven {

namespace {

uint64_t ToFileTime(const struct statx_timestamp& t, uint8_t* subTick) {
  return FileTimeOf(t.tv_sec, t.tv_nsec, subTick);
}

}  // namespace

bool FillEntry(const struct statx& st, FindEntry* entry) {
  if (S_ISDIR(st.stx_mode)) {
    entry->attributes = kAttrDirectory;
  } else if (S_ISREG(st.stx_mode)) {
    entry->attributes = kAttrArchive;
  } else {
    return false;
  }
  if ((st.stx_mode & S_IWUSR) == 0) entry->attributes |= kAttrReadOnly;
  if (entry->name.size() > 0 && entry->name.front() == '.') entry->attributes |= kAttrHidden;
  entry->size = entry->IsDirectory() ? 0 : st.stx_size;
  FileTimes& times = entry->times;
  times.write = ToFileTime(st.stx_mtime, &times.writeSubTick);
  times.access = ToFileTime(st.stx_atime, &times.accessSubTick);
  times.creation = 0;
  times.creationSubTick = 0;
  if ((st.stx_mask & STATX_BTIME) != 0) times.creation = ToFileTime(st.stx_btime, &times.creationSubTick);
  entry->id.volume = makedev(st.stx_dev_major, st.stx_dev_minor);
  entry->id.index = st.stx_ino;
  return true;
}

bool StatAt(int dirFd, const char* name, bool knownLink, FindEntry* entry) {
  struct statx st;
  bool link = knownLink;
  int follow = link ? 0 : AT_SYMLINK_NOFOLLOW;
  if (statx(dirFd, name, follow | AT_NO_AUTOMOUNT, kStatxWanted, &st) != 0) return false;
  if (S_ISLNK(st.stx_mode)) {
    link = true;
    if (statx(dirFd, name, AT_NO_AUTOMOUNT, kStatxWanted, &st) != 0) return false;
  }
  if (!FillEntry(st, entry)) return false;
  if (link) entry->attributes |= kAttrReparsePoint;
  return true;
}

}  // namespace korven
