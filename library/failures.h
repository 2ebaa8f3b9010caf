// The failures that end a description request: I/O failures of the package
// reader and the conversion failure of the build time. Both are raised and
// caught at the exported entry point; none crosses it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantrel {

class RequestFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Codes of the reader's own; every other code is the platform's.
inline constexpr std::uint32_t kCloseFailed = 1;
inline constexpr std::uint32_t kReadBeyondEnd = 100;
inline constexpr std::uint32_t kFileNotOpen = 103;

class IoFailure : public RequestFailure {
 public:
  explicit IoFailure(std::uint32_t code);
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

// "File not found", "Read beyond end of file", ..., "I/O error %d".
std::string IoFailureMessage(std::uint32_t code);

class ConversionFailure : public RequestFailure {
 public:
  explicit ConversionFailure(std::string_view text);
};

}  // namespace vantrel
