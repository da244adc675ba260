// The file-system side of the platform seam. Core values are the Win32 ones on
// both platforms: times are 64-bit counts of 100 ns since 1601-01-01 UTC,
// attributes are the Win32 bits, sizes are 64-bit.
#ifndef KORVEN_PLATFORM_FILE_SYSTEM_H_
#define KORVEN_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korven {

constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
// A symbolic link, listed as the file it points to.
constexpr uint32_t kAttrReparsePoint = 0x400;

// Volume types reported by ProbeVolume.
constexpr int kVolumeOther = 1;
constexpr int kVolumeNamedStreams = 2;  // NTFS, or POSIX with user extended attributes
constexpr int kVolumeFat = 4;

// A time of 0 is one the platform doesn't know or that can't be held (before
// 1601, or past the range of 64 bits): it shows as 00/00/1980 00:00, and
// setting it leaves that time of the file as it is.
struct FileTimes {
  uint64_t creation = 0;
  uint64_t access = 0;
  uint64_t write = 0;
  // The nanoseconds (0-99) below each time's 100 ns unit, where the platform
  // keeps them, so that the times go back exactly as they were found.
  uint8_t creationSubTick = 0;
  uint8_t accessSubTick = 0;
  uint8_t writeSubTick = 0;
};

// Which file an entry is, whatever its name: device and inode on POSIX,
// volume serial number and file index on Win32. Zero when not known.
struct FileId {
  uint64_t volume = 0;
  uint64_t index = 0;

  bool Known() const { return volume != 0 || index != 0; }
  bool operator==(const FileId&) const = default;
};

// One entry of a directory search: what FindFirstFile reports.
struct FindEntry {
  // Long name as found on disk. On Win32 its ANSI form, with '?' for each
  // character the code page cannot hold; handed back in a path, it still
  // names this very object (the seam keeps the exact name).
  std::string name;
  std::string shortName;  // 8.3 name; empty when the file has none
  uint32_t attributes = 0;
  uint64_t size = 0;
  FileTimes times;
  FileId id;

  bool IsDirectory() const { return (attributes & kAttrDirectory) != 0; }
  bool IsLink() const { return (attributes & kAttrReparsePoint) != 0; }
};

// What a directory search reports of each entry.
enum class FindDetail {
  // The name, and whether it is a directory or a symbolic link: enough to
  // walk, since every file is looked up again when it is processed.
  kTypes,
  // Everything a find record holds, as of the search.
  kFull,
};

// One named stream of a file or directory.
struct StreamEntry {
  std::string name;  // ":name:$DATA": a colon, the stream name, a colon, the stream type
  uint64_t size = 0;
  uint32_t attributes = 0;  // the platform's stream attributes; 0 on POSIX
};

// What reading the named streams of one object came to. With every value the
// list holds the streams read before it, and only those.
enum class StreamsRead {
  kRead,                     // every named stream; none when the object can't be opened
  kHeaderUnreadable,         // a stream header could not be read
  kNameUnreadable,           // a stream name could not be read
  kTokenUnopenable,          // the process token could not be opened
  kBackupPrivilegeUnknown,   // the backup privilege could not be looked up
  kRestorePrivilegeUnknown,  // the restore privilege could not be looked up
};

// What a path names, links followed.
enum class PathKind {
  kNone,         // nothing, or nothing the program may look at
  kRegularFile,
  kDirectory,
  kOther,        // a FIFO, a device, a socket: never written as a file of the run
};

// The kind of device that holds a file, which decides how many reads to ask
// of it at once.
enum class DiskKind {
  kUnknown,
  kSolidState,  // SSD, NVMe, a virtual disk: many reads in flight finish sooner
  kRotational,  // a spinning disk: reads in parallel make the head seek back and forth
};

using FileHandle = intptr_t;
constexpr FileHandle kInvalidHandle = -1;

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Entries of directory `dir` (ending in the separator) whose names match the
  // wildcard `pattern` under the Win32 rules, "." and ".." first, then by
  // upper-cased name. False when the directory cannot be searched or nothing
  // matches. A platform may report more than `detail` asks for.
  virtual bool FindFiles(const std::string& dir, const std::string& pattern, FindDetail detail,
                         std::vector<FindEntry>* found) = 0;

  // Drops directory listings kept from earlier searches, so that a new pass
  // sees the disk as it is now.
  virtual void ForgetDirectories() {}

  // A file system of its own for one other thread, which searches
  // directories ahead of the walk or reads files ahead of the listing, and
  // uses it alone: the same disk, its directory listings and descriptors
  // apart from this one's. Null where the platform has none.
  virtual std::unique_ptr<FileSystem> NewSearcher() { return nullptr; }

  // The names of every entry of directory `dir` (ending in the separator),
  // "." and ".." left out, in no set order: also those that FindFiles does
  // not hand out, such as a link to a directory. False when `dir` can't be read.
  virtual bool ListNames(const std::string& dir, std::vector<std::string>* names);

  // The find record of one object named by its full path, as it is now. A
  // symbolic link is followed, and marked kAttrReparsePoint.
  virtual bool LookUp(const std::string& path, FindEntry* entry) = 0;

  // What `path` names. The program's own files (output, accounting) are
  // checked with it before they are opened.
  virtual PathKind KindOf(const std::string& path) {
    FindEntry entry;
    if (!LookUp(path, &entry)) return PathKind::kNone;
    return entry.IsDirectory() ? PathKind::kDirectory : PathKind::kRegularFile;
  }

  // True when OpenForReading, OpenFallback, Read, Seek, Describe and Close
  // may be called from several threads at once, also while one of them
  // searches directories.
  virtual bool ReadsInParallel() const { return false; }

  // Opens for reading (directories and protected files too); on Win32 the
  // name is tried in the ANSI and then the OEM code page.
  virtual FileHandle OpenForReading(const std::string& path) = 0;
  // Opens each of `paths` for reading as OpenForReading does, in one call
  // where the platform can ask for several opens at once (a thread's own
  // file system on Linux): `handles` gets each one's handle, or
  // kInvalidHandle where the caller is to open it itself. The caller closes
  // every handle it gets. By default it opens none.
  virtual void OpenAllForReading(std::span<const std::string* const> paths, std::span<FileHandle> handles);
  // The runtime library's low-level binary read-only open.
  virtual FileHandle OpenFallback(const std::string& path) = 0;
  // Bytes read, 0 at end of file, -1 on a read error.
  virtual int64_t Read(FileHandle handle, void* buffer, size_t count) = 0;
  virtual bool Seek(FileHandle handle, uint64_t offset) = 0;
  virtual void Close(FileHandle handle) = 0;
  // The find record of the open file itself: attributes, size, times and id
  // (the name and kAttrReparsePoint, which a handle can't tell, are kept as
  // they are in `entry`). False when it is not a file or directory.
  virtual bool Describe(FileHandle handle, FindEntry* entry) = 0;

  // Changing a file in place (the CRC-32 signature): a read-write open whose
  // handle Read, Seek, Describe and Close also take, and which never opens a
  // symbolic link. Both platforms provide them; a test double that never
  // changes files may leave them as these refusals.
  virtual FileHandle OpenForUpdate(const std::string& /*path*/) { return kInvalidHandle; }
  // Bytes written, -1 on a write error.
  virtual int64_t Write(FileHandle /*handle*/, const void* /*data*/, size_t /*count*/) { return -1; }
  // The new position, the file's length; -1 when it can't be moved.
  virtual int64_t SeekToEnd(FileHandle /*handle*/) { return -1; }
  virtual bool SetLength(FileHandle /*handle*/, uint64_t /*length*/) { return false; }

  // The named streams of a file or directory (of the file a link points to),
  // in the platform's order; on POSIX the `user.` extended attributes, in
  // byte order of their names. Several threads may call it on the same terms
  // as OpenForReading.
  virtual StreamsRead NamedStreams(const std::string& path, std::vector<StreamEntry>* streams) = 0;
  // As NamedStreams, for the file open for reading as `handle` (`path`
  // names it); cheaper where the platform reads them through the handle.
  virtual StreamsRead NamedStreamsOf(FileHandle /*handle*/, const std::string& path,
                                     std::vector<StreamEntry>* streams) {
    return NamedStreams(path, streams);
  }
  // Opens the stream `streamName` (as NamedStreams named it) of `path` for
  // Read, Seek and Close.
  virtual FileHandle OpenStream(const std::string& path, const std::string& streamName) = 0;

  virtual bool GetAttributes(const std::string& path, uint32_t* attributes) = 0;
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // The times of a file, directory or stream through an open handle.
  virtual bool TimesByHandle(const std::string& path, FileTimes* times) = 0;
  // Sets the creation (where the platform can), access and write times; of a
  // symbolic link itself, never of the file it points to.
  virtual bool SetTimes(const std::string& path, const FileTimes& times) = 0;

  // kVolumeNamedStreams, kVolumeFat or kVolumeOther for the volume holding `path`.
  virtual int VolumeType(const std::string& path) = 0;
  // Free bytes available to the user on the volume holding `path`.
  virtual bool DiskFree(const std::string& path, uint64_t* freeBytes) = 0;
  // The kind of device that holds directory `path`; kUnknown where the
  // platform can't tell.
  virtual DiskKind DiskKindOf(const std::string& /*path*/) { return DiskKind::kUnknown; }
  // How many blocks the calling thread has had read from disks so far, to
  // tell a read that waited on a disk from one held up by a busy or paused
  // machine; nullopt where the platform doesn't count them.
  virtual std::optional<uint64_t> BlocksReadByThisThread() { return std::nullopt; }
};

// Closes a handle when it goes out of scope, on every way out, an interrupt
// ending the run included.
class HandleCloser {
 public:
  HandleCloser(FileSystem& fs, FileHandle handle) : fs_(fs), handle_(handle) {}
  ~HandleCloser() { fs_.Close(handle_); }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  FileSystem& fs_;
  FileHandle handle_;
};

// Which file `path` names, as its open handle tells (a look-up by name
// need not know it); not known when it can't be opened.
FileId IdOf(FileSystem& fs, const std::string& path);

// The file system of the machine the program runs on.
FileSystem& RealFileSystem();

}  // namespace korven

#endif  // KORVEN_PLATFORM_FILE_SYSTEM_H_
