#include "library/failures.h"

namespace vantrel {

std::string IoFailureMessage(std::uint32_t code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case kReadBeyondEnd: return "Read beyond end of file";
    default: return "I/O error " + std::to_string(code);
  }
}

IoFailure::IoFailure(std::uint32_t code) : RequestFailure(IoFailureMessage(code)), code_(code) {}

ConversionFailure::ConversionFailure(std::string_view text)
    : RequestFailure("'" + std::string(text) + "' is not a valid integer value") {}

}  // namespace vantrel
