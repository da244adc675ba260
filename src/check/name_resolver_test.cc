#include "check/name_resolver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "testing/memory_file_system.h"

namespace korven {
namespace {

struct Resolved {
  Resolution resolution;
  std::string path;
};

Resolved Resolve(MemoryFileSystem& fs, NameCache* cache, const std::string& name) {
  Resolved result{Resolution::kMissing, ""};
  result.resolution = ResolveName(fs, cache, "/t/", name, &result.path);
  return result;
}

TEST(NameResolver, UpperCasedNamesFindTheirFiles) {
  MemoryFileSystem fs;
  fs.AddFile("/t/sub/a.txt", "a");
  fs.AddFile("/t/sub/b.txt", "b");
  fs.AddFile("/t/sub/B.txt", "B");
  fs.AddFile("/t/sub/c.txt", "c");
  fs.AddDirectory("/t/sub/C.TXT");
  fs.AddFile("/t/docs/x", "x");
  fs.AddFile("/t/Docs/x", "x");
  fs.AddFile("/t/a\nb", "control");
  fs.AddFile("/t/Mixed/Case.Txt", "m");
  struct Case {
    const char* name;
    Resolution resolution;
    const char* path;
  } cases[] = {
      {"SUB/A.TXT", Resolution::kFound, "/t/sub/a.txt"},
      {"sub/a.txt", Resolution::kFound, "/t/sub/a.txt"},
      {"MIXED/CASE.TXT", Resolution::kFound, "/t/Mixed/Case.Txt"},
      {"./SUB/A.TXT", Resolution::kMissing, ""},  // "." is kept, and this double has no "."
      {"SUB/B.TXT", Resolution::kAmbiguous, ""},
      {"SUB/C.TXT", Resolution::kFound, "/t/sub/c.txt"},  // the other one is a directory
      {"DOCS/X", Resolution::kAmbiguous, ""},             // two directories on the way
      {"A?B", Resolution::kFound, "/t/a\nb"},             // shown with '?' in the record
      {"SUB/D.TXT", Resolution::kMissing, ""},
      {"NONE/A.TXT", Resolution::kMissing, ""},
      {"", Resolution::kMissing, ""},
  };
  NameCache cache;
  for (const Case& c : cases) {
    Resolved r = Resolve(fs, &cache, c.name);
    EXPECT_EQ(r.resolution, c.resolution) << c.name;
    if (c.resolution == Resolution::kFound) {
      EXPECT_EQ(r.path, c.path) << c.name;
    }
  }
}

TEST(NameResolver, EachDirectoryIsReadOnce) {
  MemoryFileSystem fs;
  for (const char* name : {"/t/sub/a", "/t/sub/b", "/t/sub/c"}) fs.AddFile(name, "x");
  NameCache cache;
  for (const char* name : {"SUB/A", "SUB/B", "SUB/C", "SUB/GONE"}) Resolve(fs, &cache, name);
  EXPECT_EQ(std::count(fs.searches().begin(), fs.searches().end(), "/t/sub/"), 1);
  EXPECT_EQ(std::count(fs.searches().begin(), fs.searches().end(), "/t/"), 1);
}

TEST(NameResolver, RootedNamesStartAtTheirRoot) {
  MemoryFileSystem fs;
  fs.AddFile("/t/sub/a.txt", "a");
  NameCache cache;
  std::string path;
  EXPECT_EQ(ResolveName(fs, &cache, "/elsewhere/", "/T/SUB/A.TXT", &path), Resolution::kMissing);
  EXPECT_EQ(fs.searches().front(), "/");
}

}  // namespace
}  // namespace korven
