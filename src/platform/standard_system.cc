#include "platform/standard_system.h"

#include <cstdlib>
#include <ctime>

namespace korven {

std::optional<std::string> StandardSystem::GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

int64_t StandardSystem::Now() { return static_cast<int64_t>(std::time(nullptr)); }

int64_t StandardSystem::LocalToEpoch(const CivilTime& local) {
  std::tm broken{};
  broken.tm_year = local.year - 1900;
  broken.tm_mon = local.month - 1;
  broken.tm_mday = local.day;
  broken.tm_hour = local.hour;
  broken.tm_min = local.minute;
  broken.tm_sec = local.second;
  broken.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&broken));
}

}  // namespace korven
