// Measures the most memory that operator new handed out at once since the
// meter was made, beyond what was held already. One thread only.
#pragma once

#include <cstddef>

namespace vantrel::testing {

class AllocationMeter {
 public:
  AllocationMeter();
  std::size_t PeakBytes() const;

 private:
  std::size_t start_;
};

}  // namespace vantrel::testing
