#include "tests/support/faulty_reads.h"

#include <cstddef>

#include "host/platform.h"

namespace testing_support {

ReadFaults& Faults() {
  static ReadFaults faults;
  return faults;
}

}  // namespace testing_support

// The linker sends every call of host::ReadFileAt here and names the real one __real_...
std::int64_t RealReadFileAt(host::File* file, std::uint64_t offset, void* buffer,
                            std::size_t size) __asm__("__real__ZN4host10ReadFileAtEPNS_4FileEmPvm");
std::int64_t FaultyReadFileAt(
    host::File* file, std::uint64_t offset, void* buffer,
    std::size_t size) __asm__("__wrap__ZN4host10ReadFileAtEPNS_4FileEmPvm");

std::int64_t FaultyReadFileAt(host::File* file, std::uint64_t offset, void* buffer,
                              std::size_t size) {
  auto& faults = testing_support::Faults();
  if (offset >= faults.failFrom) {
    ++faults.failedReads;
    return -1;
  }
  const std::uint64_t before = faults.failFrom - offset;
  return RealReadFileAt(file, offset, buffer,
                        before < size ? static_cast<std::size_t>(before) : size);
}
