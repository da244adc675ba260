#include "testing/fake_system.h"

#include "platform/calendar.h"

namespace korven {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::optional<std::string> FakeSystem::GetEnv(const std::string& name) {
  auto found = environment.find(name);
  if (found == environment.end()) return std::nullopt;
  return found->second;
}

bool FakeSystem::BreakDownFileTime(uint64_t fileTime, bool utc, CivilTime* out) {
  int64_t seconds = static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond) -
                    static_cast<int64_t>(kFileTimeEpochOffsetSeconds);
  if (!utc) seconds += utcOffsetMinutes * 60;
  int64_t days = FloorDiv(seconds, 86400);
  int64_t secondOfDay = seconds - days * 86400;
  CivilFromDays(days, &out->year, &out->month, &out->day);
  out->hour = static_cast<int>(secondOfDay / 3600);
  out->minute = static_cast<int>(secondOfDay % 3600 / 60);
  out->second = static_cast<int>(secondOfDay % 60);
  out->milliseconds = static_cast<int>(fileTime % kFileTimeTicksPerSecond / 10000);
  out->weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  return true;
}

int64_t FakeSystem::LocalToEpoch(const CivilTime& local) {
  return DaysFromCivil(local.year, local.month, local.day) * 86400 +
         local.hour * 3600 + local.minute * 60 + local.second - utcOffsetMinutes * 60;
}

int FakeSystem::PollKey() {
  if (keys.empty()) return -1;
  int key = keys.front();
  keys.pop_front();
  return key;
}

int FakeSystem::ReadKey() {
  if (onReadKey) onReadKey();
  return PollKey();
}

}  // namespace korven
