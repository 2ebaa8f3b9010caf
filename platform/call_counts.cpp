#include "platform/file_access.h"

namespace vantrel::platform {

CallCounts& PlatformCalls() {
  static CallCounts counts;
  return counts;
}

}  // namespace vantrel::platform
