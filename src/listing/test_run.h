// A run for the listing tests: fixed clock, the machine's file system or the
// one given, the listing and message streams in temporary files, the built-in
// defaults.
#ifndef KORVEN_LISTING_TEST_RUN_H_
#define KORVEN_LISTING_TEST_RUN_H_

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/defaults.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "testing/fake_system.h"

namespace korven {

// Seconds since 1970 of a UTC calendar time.
inline int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
  FakeSystem utc;
  CivilTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return utc.LocalToEpoch(t);
}

inline std::string ReadAll(FILE* stream) {
  fflush(stream);
  rewind(stream);
  std::string text;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0) text.append(chunk, got);
  return text;
}

struct TestRun {
  FakeSystem sys;
  Run run;

  explicit TestRun(FileSystem& fs = RealFileSystem()) : run(fs, sys) {
    sys.zoneName = "EST";
    sys.utcOffsetMinutes = -300;
    ApplyEnvironmentDefaults(run);
    ApplyBuiltInDefaults(run);
    run.listing = tmpfile();
    run.message = tmpfile();
  }
  ~TestRun() {
    fclose(run.listing);
    fclose(run.message);
  }
  std::string Listing() { return ReadAll(run.listing); }
  std::string Messages() { return ReadAll(run.message); }
};

// A fresh directory removed with its files when the test ends.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/korven-listing-XXXXXX";
    path_ = mkdtemp(pattern);
    path_ += '/';
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& contents) const {
    std::ofstream(path_ + name, std::ios::binary) << contents;
    return path_ + name;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};

}  // namespace korven

#endif  // KORVEN_LISTING_TEST_RUN_H_
