#include <gtest/gtest.h>

#include <filesystem>

#include "library/description.h"
#include "package_builder.h"

namespace vantrel {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::HeaderBuilder;
using testing::Lead;
using testing::Package;
using testing::TempFolder;

DateTextSettings Settings24() {
  return LoadDateTextSettings([](std::uint32_t item, std::size_t) -> std::optional<std::string> {
    if (item == kLocaleITime || item == kLocaleITlZero) return "1";
    return std::nullopt;
  });
}

class DescriptionTest : public ::testing::Test {
 protected:
  Description Describe(const Bytes& bytes, const std::string& name = "package.rpm") {
    return DescribePackage(reader_, settings_, folder_.Write(name, bytes));
  }
  std::string Text(const HeaderBuilder& main) {
    const Description description = Describe(Package(main));
    EXPECT_EQ(description.status, DescriptionStatus::Described) << description.failure;
    return description.text;
  }

  TempFolder folder_;
  PackageReader reader_;
  DateTextSettings settings_ = Settings24();
};

TEST_F(DescriptionTest, WritesOnlyTheTagsThePackageHolds) {
  HeaderBuilder main;
  main.String(1002, "3.el9").String(1000, "hello").String(1001, "2.0");
  EXPECT_EQ(Text(main), "Name: hello\r\nVersion: 2.0\r\nRelease: 3.el9\r\n");
}

TEST_F(DescriptionTest, WritesTheFourteenRowsInTableOrder) {
  HeaderBuilder main;
  main.String(1000, "n").String(1001, "v").String(1002, "r").String(1004, "sum").String(1005, "desc\nmore")
      .Int32(1006, 0).String(1007, "host").Int32(1009, 3000000000u).String(1011, "vendor").String(1014, "GPL")
      .String(1015, "packager").String(1016, "group").String(1018, "src.rpm").String(1020, "https://x");
  EXPECT_EQ(Text(main),
            "Name: n\r\nVersion: v\r\nRelease: r\r\nVendor: vendor\r\nSize: 3000000000\r\n"
            "Build Date: Thu 01 Jan 1970 00:00:00\r\nBuild Host: host\r\nGroup: group\r\nLicense: GPL\r\n"
            "Packager: packager\r\nSource RPM: src.rpm\r\nURL: https://x\r\nSummary: sum\r\n"
            "Description: \r\ndesc\nmore\r\n");
}

TEST_F(DescriptionTest, SourceRpmFallsBackToSourceRpmTag) {
  HeaderBuilder both;
  both.String(1018, "primary").String(1044, "fallback");
  EXPECT_EQ(Text(both), "Source RPM: primary\r\n");
  HeaderBuilder emptyFirst;
  emptyFirst.String(1018, "").String(1044, "fallback");
  EXPECT_EQ(Text(emptyFirst), "Source RPM: fallback\r\n");
  HeaderBuilder onlyFallback;
  onlyFallback.String(1044, "fallback");
  EXPECT_EQ(Text(onlyFallback), "Source RPM: fallback\r\n");
  HeaderBuilder none;
  none.String(1000, "n");
  EXPECT_EQ(Text(none), "Name: n\r\n");
  // The fallback is not read when the first tag has text: a broken 1044 does no harm.
  HeaderBuilder brokenFallback;
  brokenFallback.String(1018, "primary").Entry(1044, 6, 0x7FFFFFF0u, 1);
  EXPECT_EQ(Text(brokenFallback), "Source RPM: primary\r\n");
}

TEST_F(DescriptionTest, SizeFallsBackToLongSize) {
  const Bytes bigSize = {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};  // 4 GiB
  HeaderBuilder sizeOnly;
  sizeOnly.Int32(1009, 7243);
  EXPECT_EQ(Text(sizeOnly), "Size: 7243\r\n");
  HeaderBuilder longOnly;
  longOnly.Add(5009, 5, 1, bigSize);
  EXPECT_EQ(Text(longOnly), "Size: 4294967296\r\n");
  HeaderBuilder huge;
  huge.Add(5009, 5, 1, {0x80, 0, 0, 0, 0, 0, 0, 1});
  EXPECT_EQ(Text(huge), "Size: 9223372036854775809\r\n");
  // With SIZE present, LONGSIZE is not read: an entry pointing past the file does no harm.
  HeaderBuilder both;
  both.Int32(1009, 330).Entry(5009, 5, 0x7FFFFF00u, 1);
  EXPECT_EQ(Text(both), "Size: 330\r\n");
  HeaderBuilder neither;
  neither.String(1000, "n");
  EXPECT_EQ(Text(neither), "Name: n\r\n");
}

TEST_F(DescriptionTest, BuildTimeThatIsNoIntegerFailsTheRequest) {
  HeaderBuilder main;
  main.String(1000, "n").String(1006, "yesterday");
  const Description description = Describe(Package(main));
  EXPECT_EQ(description.status, DescriptionStatus::Failed);
  EXPECT_EQ(description.text, "");
  EXPECT_EQ(description.failure, "'yesterday' is not a valid integer value");
  // A list never parses: every element is followed by a comma and a blank.
  HeaderBuilder list;
  list.StringArray(1006, {"42"});
  EXPECT_EQ(Describe(Package(list)).failure, "'42, ' is not a valid integer value");
}

TEST_F(DescriptionTest, FilesThatAreNoPackagesYieldEmptyText) {
  const Description text = Describe(testing::Text(std::string(200, 'x')), "notes.txt");
  EXPECT_EQ(text.status, DescriptionStatus::NotAPackage);
  const Description noSignature = Describe(Concat({Lead(), Bytes(32, 0)}));
  EXPECT_EQ(noSignature.status, DescriptionStatus::NotAPackage);
  const Description noMain = Describe(Concat({Lead(), HeaderBuilder().Build(), Bytes(32, 1)}));
  EXPECT_EQ(noMain.status, DescriptionStatus::Described);
  EXPECT_EQ(noMain.text, "");
}

TEST_F(DescriptionTest, DescribesByContentWhateverTheName) {
  HeaderBuilder main;
  main.String(1000, "n");
  EXPECT_EQ(Describe(Package(main), "package.deb").text, "Name: n\r\n");
}

TEST_F(DescriptionTest, TruncatedPackageFailsAndTheNextRequestStillWorks) {
  HeaderBuilder main;
  main.String(1000, "hello").String(1005, std::string(100, 'd'));
  Bytes cut = Package(main);
  cut.resize(cut.size() - 120);
  const Description failed = Describe(cut, "cut.rpm");
  EXPECT_EQ(failed.status, DescriptionStatus::Failed);
  EXPECT_EQ(failed.failure, "Read beyond end of file");
  EXPECT_EQ(failed.text, "");
  const Description missing = DescribePackage(reader_, settings_, folder_.Path("missing.rpm"));
  EXPECT_EQ(missing.failure, "File not found");
  EXPECT_EQ(Describe(Package(main)).text.substr(0, 13), "Name: hello\r\n");
}

TEST_F(DescriptionTest, HostReceivesAtMost32766Bytes) {
  const std::string label = "Description: \r\n";
  HeaderBuilder exact;
  exact.String(1005, std::string(kMaxHostText - label.size() - 2, 'e'));
  const std::string whole = Text(exact);
  EXPECT_EQ(whole.size(), kMaxHostText);
  EXPECT_EQ(HostText(whole), whole);

  HeaderBuilder longer;
  longer.String(1005, std::string(kMaxHostText - label.size() - 1, 'e'));
  const std::string text = Text(longer);
  ASSERT_EQ(text.size(), kMaxHostText + 1);
  EXPECT_EQ(HostText(text), text.substr(0, kMaxHostText));
  EXPECT_EQ(HostText(text).back(), '\r');  // cut between the CR and its LF
}

TEST_F(DescriptionTest, NoFileStaysOpenAfterAnyOutcome) {
  const std::filesystem::path descriptors = "/proc/self/fd";
  if (!std::filesystem::exists(descriptors)) GTEST_SKIP() << "no /proc/self/fd here";
  const auto count = [&] {
    return std::distance(std::filesystem::directory_iterator(descriptors), std::filesystem::directory_iterator());
  };
  HeaderBuilder good;
  good.String(1000, "n");
  HeaderBuilder badTime;
  badTime.String(1006, "x");
  const std::string paths[] = {folder_.Write("good.rpm", Package(good)), folder_.Write("bad.rpm", Package(badTime)),
                               folder_.Write("text.txt", Bytes(100, 'a')), folder_.Path("missing.rpm"),
                               folder_.Write("cut.rpm", Concat({Lead(), Bytes(4, 0x8E)}))};
  const auto before = count();
  for (int i = 0; i < 200; ++i) DescribePackage(reader_, settings_, paths[i % 5]);
  EXPECT_EQ(count(), before);
}

}  // namespace
}  // namespace vantrel
