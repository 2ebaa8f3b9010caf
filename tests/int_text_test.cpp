#include <gtest/gtest.h>

#include <optional>

#include "datetext/int_text.h"

namespace vantrel {
namespace {

struct IntCase {
  const char* text;
  std::optional<std::int32_t> value;
};

TEST(ParseInt32Text, AcceptsTheDecimalAndHexadecimalFormsOnly) {
  const IntCase cases[] = {
      {"42", 42}, {"   42", 42}, {"+42", 42}, {"042", 42}, {"$2A", 42}, {"x2A", 42}, {"X2a", 42},
      {"0x2A", 42}, {"0X2a", 42}, {"  $2A", 42}, {"-0", 0}, {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN}, {"$FFFFFFFF", -1}, {"$80000000", INT32_MIN}, {"$0000000FF", 255},
      {"00000000002147483647", 2147483647},
      {"42 ", std::nullopt}, {"4 2", std::nullopt}, {"--42", std::nullopt}, {"-$2A", std::nullopt},
      {"+0x2A", std::nullopt}, {"2147483648", std::nullopt}, {"-2147483649", std::nullopt},
      {"$100000000", std::nullopt}, {"", std::nullopt}, {" ", std::nullopt}, {"abc", std::nullopt},
      {"\t42", std::nullopt}, {"+", std::nullopt}, {"-", std::nullopt}, {"$", std::nullopt},
      {"0x", std::nullopt}, {"$G", std::nullopt}, {"99999999999999999999", std::nullopt},
  };
  for (const IntCase& c : cases) EXPECT_EQ(ParseInt32Text(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseUInt32DecimalText, ReadsUnsignedDecimalUpTo32Bits) {
  EXPECT_EQ(ParseUInt32DecimalText("2147483648"), 2147483648u);
  EXPECT_EQ(ParseUInt32DecimalText("  +4294967295"), 4294967295u);
  EXPECT_EQ(ParseUInt32DecimalText("4294967296"), std::nullopt);
  EXPECT_EQ(ParseUInt32DecimalText("-1"), std::nullopt);
  EXPECT_EQ(ParseUInt32DecimalText("$FFFFFFFF"), std::nullopt);
  EXPECT_EQ(ParseUInt32DecimalText("4294967295 "), std::nullopt);
}

}  // namespace
}  // namespace vantrel
