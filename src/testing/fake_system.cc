#include "testing/fake_system.h"

namespace korven {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (*month <= 2));
}

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
  return DaysFromCivil(local.year, static_cast<unsigned>(local.month), static_cast<unsigned>(local.day)) * 86400 +
         local.hour * 3600 + local.minute * 60 + local.second - utcOffsetMinutes * 60;
}

int FakeSystem::PollKey() {
  if (keys.empty()) return -1;
  int key = keys.front();
  keys.pop_front();
  return key;
}

int FakeSystem::WaitKey() {
  if (onWaitKey) onWaitKey();
  return PollKey();
}

}  // namespace korven
