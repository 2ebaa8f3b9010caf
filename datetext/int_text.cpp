#include "datetext/int_text.h"

namespace vantrel {
namespace {

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Digits only, at least one, value at most `limit`.
std::optional<std::uint64_t> ReadDigits(std::string_view digits, unsigned base, std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : digits) {
    const int digit = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::optional<std::string_view> HexDigits(std::string_view text) {
  for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"})
    if (text.substr(0, prefix.size()) == prefix) return text.substr(prefix.size());
  return std::nullopt;
}

}  // namespace

std::optional<std::int32_t> ParseInt32Text(std::string_view text) {
  text = SkipBlanks(text);
  if (const auto hex = HexDigits(text)) {
    const auto value = ReadDigits(*hex, 16, 0xFFFFFFFFu);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
  }
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  const auto magnitude = ReadDigits(text, 10, negative ? 2147483648u : 2147483647u);
  if (!magnitude) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(*magnitude)
                                            : static_cast<std::int64_t>(*magnitude));
}

std::optional<std::uint32_t> ParseUInt32DecimalText(std::string_view text) {
  text = SkipBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto value = ReadDigits(text, 10, 0xFFFFFFFFu);
  if (!value) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

}  // namespace vantrel
