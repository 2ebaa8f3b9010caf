#include <gtest/gtest.h>

#include <fstream>

#include "library/failures.h"
#include "library/package_reader.h"
#include "package_builder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace vantrel {
namespace {

using testing::BigEndian;
using testing::Bytes;
using testing::Concat;
using testing::HeaderBuilder;
using testing::Lead;
using testing::Package;
using testing::TempFolder;
using testing::Text;

#ifdef _WIN32
constexpr std::uint32_t kRefusedPosition = 131;  // ERROR_NEGATIVE_SEEK
#else
constexpr std::uint32_t kRefusedPosition = 22;  // EINVAL
#endif

// Runs one reader step on a file of these bytes; the text, "false", or the failure's message.
class ReaderTest : public ::testing::Test {
 protected:
  void Open(const Bytes& bytes) {
    reader_.OpenPackage(folder_.Write("package.rpm", bytes));
  }
  std::string Located(const Bytes& bytes) {
    try {
      Open(bytes);
      if (!reader_.CheckLead()) return "no lead";
      return reader_.LocateHeader() ? "located " + std::to_string(reader_.EntryCount()) : "false";
    } catch (const IoFailure& failure) {
      return failure.what();
    }
  }
  std::string Tag(const Bytes& bytes, std::int32_t tag) {
    const std::string located = Located(bytes);
    if (located.rfind("located", 0) != 0) return located;
    try {
      return reader_.ReadTagText(tag);
    } catch (const IoFailure& failure) {
      return failure.what();
    }
  }
  void TearDown() override { reader_.ClosePackage(); }

  TempFolder folder_;
  PackageReader reader_;
};

TEST(SwapEndian32, ReversesTheFourBytes) {
  EXPECT_EQ(SwapEndian32(0x11223344u), 0x44332211u);
  EXPECT_EQ(SwapEndian32(0x000000FFu), 0xFF000000u);
}

TEST_F(ReaderTest, LeadNeedsTheMagicAndMoreThan96Bytes) {
  Bytes lead = Lead();
  EXPECT_EQ(Located(lead), "no lead");
  lead.push_back(0);
  std::fill(lead.begin() + 4, lead.end(), 0x55);
  EXPECT_NE(Located(lead), "no lead");
  EXPECT_EQ(Located(Concat({Text("\xED\xAB\xEE\xDA"), Bytes(200, 0)})), "no lead");
  EXPECT_EQ(Located(Text("#!/bin/sh\necho this is a text file of more than ninety-six bytes, "
                         "which is certainly no RPM package at all\n")), "no lead");
  EXPECT_EQ(Located({}), "no lead");
}

TEST_F(ReaderTest, SignatureHeaderMustFollowTheLead) {
  EXPECT_EQ(Located(Concat({Lead(), Bytes(20, 0)})), "false");
  EXPECT_EQ(Located(Concat({Lead(), Bytes(1, 0x8E)})), "Read beyond end of file");  // 97 bytes
  EXPECT_EQ(Located(Concat({Lead(), Bytes(15, 0x8E)})), "Read beyond end of file");  // 111 bytes
}

TEST_F(ReaderTest, FindsTheMainHeaderBehindTheSignaturePadding) {
  HeaderBuilder signature;
  signature.Add(1000, 7, 5, Bytes(5, 0xAA));  // a store of 5 bytes, padded by 3 zeros
  HeaderBuilder main;
  main.String(1000, "padded");
  EXPECT_EQ(Tag(Package(main, signature), 1000), "padded");

  // No padding: the main header starts right at the end of the signature store.
  const Bytes unpadded = Concat({Lead(), signature.Build(), main.Build()});
  EXPECT_EQ(Tag(unpadded, 1000), "padded");

  // Any version and reserved bytes are accepted in both intros.
  Bytes odd = Package(main, signature);
  odd[99] = 0x7F, odd[100] = 0xFF, odd[103] = 0x12;
  EXPECT_EQ(Tag(odd, 1000), "padded");
}

TEST_F(ReaderTest, NoMainHeaderMeansEveryTagIsEmpty) {
  const Bytes noMagic = Concat({Lead(), HeaderBuilder().Build(), Bytes(40, 0x11)});
  EXPECT_EQ(Located(noMagic), "located 0");
  EXPECT_EQ(Tag(noMagic, 1000), "");
  // A main intro in the file's last 16 bytes has nothing behind it.
  HeaderBuilder main;
  main.IntroCount(3);
  EXPECT_EQ(Located(Package(main)), "located 0");
}

TEST_F(ReaderTest, SearchFailsWhenTheFirstProbesComeUpShort) {
  const Bytes signature = HeaderBuilder().Build();
  EXPECT_EQ(Located(Concat({Lead(), signature, Bytes(10, 0)})), "Read beyond end of file");
  EXPECT_EQ(Located(Concat({Lead(), signature, Bytes(16, 0)})), "Read beyond end of file");
  EXPECT_EQ(Located(Concat({Lead(), signature, Bytes(17, 0)})), "located 0");
  // A signature that claims a store far beyond the file.
  HeaderBuilder huge;
  huge.IntroStoreSize(0x10000000);
  EXPECT_EQ(Located(Concat({Lead(), huge.Build(), Bytes(64, 0)})), "Read beyond end of file");
}

TEST_F(ReaderTest, LooksTagsUpInTheIndex) {
  HeaderBuilder main;
  main.String(1000, "first").String(1001, "second").String(1000, "shadowed").String(1004, "last");
  const Bytes package = Package(main);
  EXPECT_EQ(Tag(package, 1000), "first");
  EXPECT_EQ(Tag(package, 1004), "last");
  EXPECT_EQ(Tag(package, 1002), "");
  HeaderBuilder single;
  single.String(1005, "only");
  EXPECT_EQ(Tag(Package(single), 1005), "only");
}

TEST_F(ReaderTest, RendersTheValueTypes) {
  HeaderBuilder main;
  main.Add(1, 2, 1, {0xFF}).Add(2, 2, 2, {0x7F, 0x01})
      .Add(3, 4, 1, {0, 0, 1, 0}).Add(4, 4, 1, {0xFF, 0xFF, 0xFF, 0xFE})
      .StringArray(5, {"abc", "de"}).StringArray(6, {"", "x"}).StringArray(7, {"a"}, 9)
      .StringArray(8, {"C text", "de Text"}, 9).Add(9, 8, 0, {'a', 0})
      .Add(10, 0, 1, Text("x")).Add(11, 1, 1, Text("c")).Add(12, 3, 1, {0, 5})
      .Add(13, 5, 1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}).Add(14, 7, 3, Text("bin")).Add(15, 10, 1, Text("s\0"))
      .Add(16, 0xFFFFFFFF, 1, Text("s\0")).String(17, "line\nbreak\r\n")
      .StringArray(18, {"a", "b"}).Entry(18, 6, 0, 1);
  const Bytes package = Package(main);
  const std::pair<std::int32_t, const char*> cases[] = {
      {1, "-1"}, {2, "127"}, {3, "256"}, {4, "4294967294"}, {5, "abc, de, "}, {6, ", x, "}, {7, "a"},
      {8, "C text"}, {9, ""}, {10, ""}, {11, ""}, {12, ""}, {13, "18446744073709551614"}, {14, ""}, {15, ""}, {16, ""},
      {17, "line\nbreak\r\n"}, {18, "a, b, "},
  };
  for (const auto& [tag, text] : cases) EXPECT_EQ(Tag(package, tag), text) << "tag " << tag;
}

TEST_F(ReaderTest, ValuesCutOffByTheEndOfTheFile) {
  HeaderBuilder main;
  main.Entry(1, 6, 0, 1).Entry(2, 6, 3, 1).Entry(3, 4, 1, 1).Entry(4, 6, 100, 1).Entry(5, 2, 4, 1)
      .Entry(6, 8, 0, 2).Entry(7, 5, 0, 1);
  const Bytes package = Concat({Package(main), Text("abcd")});  // the store: 4 bytes, no zero
  EXPECT_EQ(Tag(package, 1), "abcd");
  EXPECT_EQ(Tag(package, 2), "d");
  EXPECT_EQ(Tag(package, 3), "Read beyond end of file");
  EXPECT_EQ(Tag(package, 4), "Read beyond end of file");
  EXPECT_EQ(Tag(package, 5), "Read beyond end of file");
  EXPECT_EQ(Tag(package, 6), "Read beyond end of file");
  EXPECT_EQ(Tag(package, 7), "Read beyond end of file");  // an INT64 needs 8 bytes
}

TEST_F(ReaderTest, NegativeValuePositionIsRefusedForEveryType) {
  for (const std::uint32_t type : {6u, 7u, 0xFFu}) {
    HeaderBuilder main;
    main.Entry(1000, type, 0x80000000u, 1);
    EXPECT_EQ(Tag(Package(main), 1000), "I/O error " + std::to_string(kRefusedPosition)) << type;
  }
}

TEST_F(ReaderTest, IndexCutOffByTheEndOfTheFile) {
  HeaderBuilder main;
  main.String(1000, "n").IntroCount(5);
  // The intro promises five entries; the file ends after the first.
  Bytes package = Concat({Lead(), HeaderBuilder().Build(), main.Intro(), main.Index()});
  EXPECT_EQ(Tag(package, 1001), "");
  package.resize(package.size() - 8);  // the only entry is cut in the middle
  EXPECT_EQ(Tag(package, 1000), "Read beyond end of file");
}

TEST_F(ReaderTest, OpenFailuresCarryTheirCodes) {
  const std::pair<std::string, std::uint32_t> cases[] = {
      {folder_.Path("missing.rpm"), 2},
      {folder_.Path("no-folder") + "/missing.rpm", 3},
      {"", 3},
      {std::string(260, 'a'), 206},
  };
  for (const auto& [path, code] : cases) {
    try {
      reader_.OpenPackage(path);
      ADD_FAILURE() << "opened " << path;
    } catch (const IoFailure& failure) {
      EXPECT_EQ(failure.Code(), code) << path;
      EXPECT_EQ(failure.what(), IoFailureMessage(code));
    }
    reader_.ClosePackage();  // nothing is open: does nothing
  }
  EXPECT_EQ(IoFailureMessage(2), "File not found");
  EXPECT_EQ(IoFailureMessage(3), "Invalid filename");
  EXPECT_EQ(IoFailureMessage(4), "Too many open files");
  EXPECT_EQ(IoFailureMessage(5), "File access denied");
  EXPECT_EQ(IoFailureMessage(100), "Read beyond end of file");
  EXPECT_EQ(IoFailureMessage(32), "I/O error 32");
}

TEST_F(ReaderTest, ReadsReadOnlyFilesAndFilesOthersHaveOpenForWriting) {
  HeaderBuilder main;
  main.String(1000, "shared");
  const std::string path = folder_.Write("ro.rpm", Package(main));
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  chmod(path.c_str(), 0444);
#endif
  std::fstream writer(folder_.Write("rw.rpm", Package(main)), std::ios::in | std::ios::out | std::ios::binary);
  for (const std::string& file : {path, folder_.Path("rw.rpm")}) {
    reader_.OpenPackage(file);
    ASSERT_TRUE(reader_.CheckLead());
    ASSERT_TRUE(reader_.LocateHeader());
    EXPECT_EQ(reader_.ReadTagText(1000), "shared");
    reader_.ClosePackage();
    reader_.ClosePackage();
  }
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

TEST_F(ReaderTest, StepsWithoutAnOpenFileFail) {
  try {
    reader_.CheckLead();
    ADD_FAILURE();
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.Code(), 103u);
  }
}

}  // namespace
}  // namespace vantrel
