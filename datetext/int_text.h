// Strict reading of integer texts: the whole text must be one integer.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel {

// Leading blanks (byte 32 only), then either decimal (optional sign, digits,
// -2147483648..2147483647) or hexadecimal behind "$", "x", "X", "0x" or "0X"
// (no sign, at most 32 significant bits, read as two's complement).
// Anything else, trailing blanks included, is refused.
std::optional<std::int32_t> ParseInt32Text(std::string_view text);

// Leading blanks, an optional "+", then decimal digits whose value fits in 32
// unsigned bits. Refuses the same texts as ParseInt32Text beyond that.
std::optional<std::uint32_t> ParseUInt32DecimalText(std::string_view text);

}  // namespace vantrel
