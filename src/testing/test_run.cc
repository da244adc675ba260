#include "testing/test_run.h"

#include <filesystem>

#include "config/defaults.h"
#include "config/option_parser.h"
#include "run/terminate.h"

namespace korven {

int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
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

TestRun::TestRun(FileSystem& fileSystem) : run(fileSystem, sys) {
  sys.zoneName = "EST";
  sys.utcOffsetMinutes = -300;
  run.listing = listing_ = tmpfile();
  run.message = message_ = tmpfile();
  ApplyDefaults();
}

TestRun::~TestRun() {
  if (run.accounting != nullptr) fclose(run.accounting);
  fclose(listing_);
  fclose(message_);
}

void TestRun::ApplyDefaults() {
  run.fs.ForgetDirectories();  // the test may have written files since the last search
  ApplyEnvironmentDefaults(run);
  ApplyBuiltInDefaults(run);
  run.moduleFileName = sys.moduleFileName;
}

void TestRun::MakeHome() {
  home = std::make_unique<TempDir>();
  std::filesystem::create_directories(home->Path() + "cwd");
  std::filesystem::create_directories(home->Path() + "bin");
  sys.currentDirectory = home->Path() + "cwd";
  sys.moduleFileName = home->Path() + "bin/korven";
  ApplyDefaults();
}

int TestRun::Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "korven");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  try {
    ParseOptions(run, static_cast<int>(argv.size()), argv.data());
  } catch (const RunEnded& ended) {
    return ended.status;
  }
  return -1;
}

}  // namespace korven
