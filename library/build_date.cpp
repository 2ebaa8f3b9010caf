#include "library/build_date.h"

#include <cstdint>

#include "datetext/date_pattern.h"
#include "datetext/int_text.h"
#include "library/failures.h"

namespace vantrel {
namespace {

constexpr double kUnixEpochSerial = 25569.0;  // 1 January 1970 in days since 30 December 1899

std::int64_t BuildTimeSeconds(std::string_view text) {
  if (const auto value = ParseInt32Text(text)) return *value;
  if (const auto value = ParseUInt32DecimalText(text)) return *value;
  throw ConversionFailure(text);
}

}  // namespace

std::string FormatBuildDate(std::string_view text, const DateTextSettings& settings) {
  const auto seconds = static_cast<double>(BuildTimeSeconds(text));
  return RenderDatePattern(kBuildDatePattern, seconds / 86400.0 + kUnixEpochSerial, settings);
}

}  // namespace vantrel
