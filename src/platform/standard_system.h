// The part of the process seam that the C standard library serves alike on
// every target: environment, clock, local calendar time.
#ifndef KORVEN_PLATFORM_STANDARD_SYSTEM_H_
#define KORVEN_PLATFORM_STANDARD_SYSTEM_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

namespace korven {

// The base of each target's real System; the target supplies the rest.
class StandardSystem : public System {
 public:
  std::optional<std::string> GetEnv(const std::string& name) override;
  int64_t Now() override;
  int64_t LocalToEpoch(const CivilTime& local) override;
};

}  // namespace korven

#endif  // KORVEN_PLATFORM_STANDARD_SYSTEM_H_
