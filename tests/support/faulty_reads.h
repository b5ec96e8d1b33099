// A link-time double around host::ReadFileAt (the test program is linked with
// -Wl,--wrap for it): from a chosen offset on, reads fail as a failing disk or a dropped network
// share would, and reads that start before it stop short of it.
#pragma once

#include <cstdint>
#include <limits>

namespace testing_support {

struct ReadFaults {
  std::uint64_t failFrom = std::numeric_limits<std::uint64_t>::max();  // max: no fault
  int failedReads = 0;  // reads answered with an error
};

// The one setting the wrapped ReadFileAt obeys; each test resets it.
ReadFaults& Faults();

}  // namespace testing_support
