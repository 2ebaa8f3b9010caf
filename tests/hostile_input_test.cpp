// Hostile and damaged files: every outcome is the one expected, memory and
// platform calls stay bounded, no file handle is left behind, and files of
// 2 GiB and more are described or refused cleanly.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#endif

#include <cstdint>
#include <string>
#include <vector>

#include "allocation_meter.h"
#include "library/description.h"
#include "package_builder.h"
#include "platform/file_access.h"

namespace vantrel {
namespace {

using testing::AllocationMeter;
using testing::BigEndian;
using testing::Bytes;
using testing::Concat;
using testing::HeaderBuilder;
using testing::Lead;
using testing::Package;
using testing::TempFolder;
using testing::Text;

#ifdef _WIN32
constexpr char kNegativePosition[] = "I/O error 131";  // ERROR_NEGATIVE_SEEK
#else
constexpr char kNegativePosition[] = "I/O error 22";  // EINVAL
#endif
constexpr char kBeyondEnd[] = "Read beyond end of file";

Bytes Zeroed(std::string_view text) { return Concat({Text(text), Bytes(1, 0)}); }

// The main header alone with its intro's entry count replaced.
Bytes WithEntryCount(const HeaderBuilder& main, std::uint32_t count) {
  Bytes bytes = Package(main);
  const Bytes stored = BigEndian(count);
  std::copy(stored.begin(), stored.end(), bytes.end() - static_cast<std::ptrdiff_t>(main.Build().size()) + 8);
  return bytes;
}

HeaderBuilder NameOnly(std::string_view name = "n") {
  HeaderBuilder main;
  main.String(1000, name);
  return main;
}

HeaderBuilder Entry(std::uint32_t type, std::uint32_t offset, std::uint32_t count, const Bytes& store = Zeroed("n")) {
  HeaderBuilder main;
  main.Entry(1000, type, offset, count);
  main.Add(999, 7, static_cast<std::uint32_t>(store.size()), store);  // the store's bytes, under a tag nobody reads
  return main;
}

std::uint64_t PlatformCallTotal() { return platform::PlatformCalls().Total(); }

class HostileInputTest : public ::testing::Test {
 protected:
  Description Describe(const std::string& path) { return DescribePackage(reader_, settings_, path); }

  TempFolder folder_;
  PackageReader reader_;
  DateTextSettings settings_ =
      LoadDateTextSettings([](std::uint32_t, std::size_t) { return std::optional<std::string>(); });
};

struct HostileCase {
  const char* name;
  Bytes bytes;
  DescriptionStatus status;
  std::string text;     // for a description
  std::string failure;  // for a failure
};

TEST_F(HostileInputTest, EveryHostileFileEndsAsExpectedInBoundedCalls) {
  HeaderBuilder signatureHugeStore;
  signatureHugeStore.IntroStoreSize(0x7FFFFF00u);
  HeaderBuilder signatureWrappingStore;
  signatureWrappingStore.IntroStoreSize(0x7FFFFFFFu);
  HeaderBuilder signatureCountAll;
  signatureCountAll.IntroCount(0xFFFFFFFFu);
  HeaderBuilder badTime = NameOnly();
  badTime.String(1006, "12x");
  HeaderBuilder noTags;

  const std::vector<HostileCase> cases = {
      {"not a package", Bytes(300, 'a'), DescriptionStatus::NotAPackage, "", ""},
      {"only a lead", Lead(), DescriptionStatus::NotAPackage, "", ""},
      {"lead and 4 bytes", Concat({Lead(), Bytes(4, 0x8E)}), DescriptionStatus::Failed, "", kBeyondEnd},
      {"no tags", Package(noTags), DescriptionStatus::Described, "", ""},
      {"bad build time", Package(badTime), DescriptionStatus::Failed, "", "'12x' is not a valid integer value"},
      // Entry counts of the main header.
      {"entries 0", WithEntryCount(NameOnly(), 0), DescriptionStatus::Described, "", ""},
      {"entries 1", WithEntryCount(NameOnly(), 1), DescriptionStatus::Described, "Name: n\r\n", ""},
      // 16 * 0x7FFFFFFF wraps to -16: the store base falls back onto the intro.
      {"entries 0x7FFFFFFF", WithEntryCount(NameOnly("n23456789012345"), 0x7FFFFFFFu), DescriptionStatus::Described,
       "Name: \x8E\xAD\xE8\x01\r\n", ""},
      {"entries 0x7FFFFFFF, index cut in an entry", WithEntryCount(NameOnly(), 0x7FFFFFFFu),
       DescriptionStatus::Failed, "", kBeyondEnd},
      {"entries 0x80000000", WithEntryCount(NameOnly(), 0x80000000u), DescriptionStatus::Described, "", ""},
      {"entries 0xFFFFFFFF", WithEntryCount(NameOnly(), 0xFFFFFFFFu), DescriptionStatus::Described, "", ""},
      // Value offsets: positions wrap modulo 2^32 and the negative ones are refused.
      {"offset 1", Package(Entry(6, 1, 1)), DescriptionStatus::Described, "", ""},
      {"offset 0x7FFFFFFF", Package(Entry(6, 0x7FFFFFFFu, 1)), DescriptionStatus::Failed, "", kNegativePosition},
      {"offset 0x80000000", Package(Entry(6, 0x80000000u, 1)), DescriptionStatus::Failed, "", kNegativePosition},
      {"offset 0xFFFFFFFF, one byte before the store", Package(Entry(6, 0xFFFFFFFFu, 1)),
       DescriptionStatus::Described, "Name: \x02n\r\n", ""},
      {"offset past the end", Package(Entry(6, 0x100000, 1)), DescriptionStatus::Failed, "", kBeyondEnd},
      {"unrendered type at a negative position", Package(Entry(3, 0x80000000u, 1)), DescriptionStatus::Failed, "",
       kNegativePosition},
      // String-array counts: each element costs a byte, so a huge count ends at the end of the file.
      {"array count 0", Package(Entry(8, 0, 0)), DescriptionStatus::Described, "", ""},
      {"array count 1", Package(Entry(8, 0, 1)), DescriptionStatus::Described, "Name: n, \r\n", ""},
      {"array count 0x7FFFFFFF", Package(Entry(8, 0, 0x7FFFFFFFu)), DescriptionStatus::Failed, "", kBeyondEnd},
      {"array count 0x80000000", Package(Entry(8, 0, 0x80000000u)), DescriptionStatus::Described, "", ""},
      {"array count 0xFFFFFFFF", Package(Entry(8, 0, 0xFFFFFFFFu)), DescriptionStatus::Described, "", ""},
      // The signature header's numbers decide where the main header is looked for.
      {"signature store past the end", Package(NameOnly(), signatureHugeStore), DescriptionStatus::Failed, "",
       kBeyondEnd},
      {"signature store wrapping negative", Package(NameOnly(), signatureWrappingStore), DescriptionStatus::Failed, "",
       kNegativePosition},
      {"signature count wrapping back onto itself", Package(NameOnly(), signatureCountAll),
       DescriptionStatus::Described, "", ""},
  };
  for (const HostileCase& c : cases) {
    const std::string path = folder_.Write("hostile.rpm", c.bytes);
    const std::uint64_t callsBefore = PlatformCallTotal();
    const Description d = Describe(path);
    EXPECT_EQ(d.status, c.status) << c.name << ": " << d.failure;
    EXPECT_EQ(d.text, c.text) << c.name;
    EXPECT_EQ(d.failure, c.failure) << c.name;
    // All of these files fit the buffer: a handful of calls, whatever the numbers say.
    EXPECT_LE(PlatformCallTotal() - callsBefore, 12u) << c.name;
  }
}

TEST_F(HostileInputTest, PlatformFailuresOfEveryKindThisMachineCanProduce) {
  const std::string good = folder_.Write("good.rpm", Package(NameOnly()));
  const struct {
    const char* name;
    std::string path;
    std::string failure;
  } cases[] = {
      {"missing file", folder_.Path("missing.rpm"), "File not found"},
      {"missing folder", folder_.Path("no-folder/p.rpm"), "Invalid filename"},
      {"empty path", "", "Invalid filename"},
      {"path of 260 bytes", std::string(260, 'p'), "I/O error 206"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(c.path).failure, c.failure) << c.name;
    EXPECT_EQ(Describe(good).text, "Name: n\r\n") << "after " << c.name;
  }
}

#ifdef _WIN32
TEST_F(HostileInputTest, AFileLockedByAnotherProgramIsASharingViolation) {
  const std::string path = folder_.Write("locked.rpm", Package(NameOnly()));
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Describe(path).failure, "I/O error 32");  // ERROR_SHARING_VIOLATION
  CloseHandle(lock);
  EXPECT_EQ(Describe(path).text, "Name: n\r\n");
}
#else
TEST_F(HostileInputTest, AFileWithoutReadPermissionIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = folder_.Write("private.rpm", Package(NameOnly()));
  std::filesystem::permissions(path, std::filesystem::perms::none);
  EXPECT_EQ(Describe(path).failure, "File access denied");
}

TEST_F(HostileInputTest, RunningOutOfFileDescriptorsIsTooManyOpenFiles) {
  const std::string path = folder_.Write("p.rpm", Package(NameOnly()));
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  // The lowest free descriptor is the next one open() would hand out.
  const int next = ::dup(0);
  ::close(next);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(next);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  const Description d = Describe(path);
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(d.failure, "Too many open files");
  EXPECT_EQ(Describe(path).text, "Name: n\r\n");
}
#endif

// Only what can reach the host is kept, however large the values.
TEST_F(HostileInputTest, HugeValuesKeepMemoryBoundedAndTheHostTextExact) {
  const std::string longName(4u << 20, 'N');
  Bytes manyStrings;
  for (int i = 0; i < 400000; ++i) manyStrings.insert(manyStrings.end(), {'a', 'b', 0});
  HeaderBuilder manyEntries;
  for (int i = 0; i < 200000; ++i) manyEntries.Entry(999, 6, 0, 1);
  manyEntries.String(1000, "last");

  HeaderBuilder longString = NameOnly(longName);
  HeaderBuilder longThenBadTime = NameOnly(longName);
  longThenBadTime.String(1006, "x");
  HeaderBuilder hugeArray;
  hugeArray.Add(1000, 8, 400000, manyStrings);
  HeaderBuilder hugeArrayCount;
  hugeArrayCount.Add(1000, 8, 0x7FFFFFFFu, manyStrings);
  HeaderBuilder longTime;
  longTime.String(1006, std::string(100000, '7'));

  std::string arrayText = "Name: ";
  while (arrayText.size() < kMaxHostText) arrayText += "ab, ";
  const struct {
    const char* name;
    Bytes bytes;
    DescriptionStatus status;
    std::string hostText;
    std::string failure;
  } cases[] = {
      {"4 MiB name", Package(longString), DescriptionStatus::Described, ("Name: " + longName).substr(0, kMaxHostText), ""},
      {"4 MiB name, then a bad build time", Package(longThenBadTime), DescriptionStatus::Failed, "",
       "'x' is not a valid integer value"},
      {"400000 strings", Package(hugeArray), DescriptionStatus::Described, arrayText.substr(0, kMaxHostText), ""},
      {"400000 strings, count 0x7FFFFFFF", Package(hugeArrayCount), DescriptionStatus::Failed, "", kBeyondEnd},
      {"200000 entries", Package(manyEntries), DescriptionStatus::Described, "Name: last\r\n", ""},
      {"build time of 100000 digits", Package(longTime), DescriptionStatus::Failed, "",
       "'" + std::string(kMaxHostText + 1, '7') + "' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    const std::string path = folder_.Write("huge.rpm", c.bytes);
    const std::uint64_t callsBefore = PlatformCallTotal();
    AllocationMeter meter;
    const Description d = Describe(path);
    const std::size_t peak = meter.PeakBytes();
    EXPECT_EQ(d.status, c.status) << c.name << ": " << d.failure.substr(0, 80);
    EXPECT_TRUE(HostText(d.text) == c.hostText) << c.name << ": " << d.text.substr(0, 80);
    EXPECT_TRUE(d.failure == c.failure) << c.name << ": " << d.failure.substr(0, 80);
    EXPECT_LE(peak, 300u * 1024) << c.name << ": bytes held at once beyond the reader's buffer";
    // Each of the 16 tag lookups may pass over the whole file once.
    const std::uint64_t buffers = c.bytes.size() / (256 * 1024) + 1;
    EXPECT_LE(PlatformCallTotal() - callsBefore, 20 * buffers + 10) << c.name;
  }
}

TEST_F(HostileInputTest, FilesOfTwoGibibytesAndMoreAreDescribedOrRefusedCleanly) {
  const Bytes package = Package(NameOnly("big"));
  const std::uint64_t kTwoGiB = 0x80000000u;
  // A package with a huge payload behind its header is described as a small one is.
  for (const std::uint64_t size : {kTwoGiB + 4096, (std::uint64_t{4} << 30) + 100}) {
    const std::string path = folder_.WriteSparse("big.rpm", size, {{0, package}});
    const Description d = Describe(path);
    EXPECT_EQ(d.status, DescriptionStatus::Described) << size << ": " << d.failure;
    EXPECT_EQ(d.text, "Name: big\r\n") << size;
  }
  // A value as far out as a position reaches, 2^31 - 16, is read.
  HeaderBuilder distant;
  distant.Entry(1000, 6, 0, 1);
  const Bytes farPackage = Package(distant);
  const std::uint64_t storeBase = farPackage.size();
  HeaderBuilder farEntry;
  farEntry.Entry(1000, 6, static_cast<std::uint32_t>(0x7FFFFFF0u - storeBase), 1);
  std::string path = folder_.WriteSparse("far.rpm", kTwoGiB + 64, {{0, Package(farEntry)}, {0x7FFFFFF0u, Zeroed("far")}});
  EXPECT_EQ(Describe(path).text, "Name: far\r\n");
  // A damaged file whose main header would lie beyond 2^31 - 1 cannot be read.
  HeaderBuilder signature;
  path = folder_.WriteSparse("nomain.rpm", kTwoGiB + 4096, {{0, Concat({Lead(), signature.Build()})}});
  const Description d = Describe(path);
  EXPECT_EQ(d.status, DescriptionStatus::Failed);
  EXPECT_EQ(d.failure, kNegativePosition);
}

std::int64_t OpenHandles() {
#ifdef _WIN32
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
#else
  const std::filesystem::path descriptors = "/proc/self/fd";
  return std::distance(std::filesystem::directory_iterator(descriptors), std::filesystem::directory_iterator());
#endif
}

TEST_F(HostileInputTest, HundredThousandRequestsLeaveNoHandleOpen) {
  HeaderBuilder badTime = NameOnly();
  badTime.String(1006, "soon");
  Bytes truncated = Package(NameOnly("truncated"));
  truncated.resize(truncated.size() - 4);
  const std::string good = folder_.Write("good.rpm", Package(NameOnly("good")));
  std::vector<std::string> others = {
      folder_.Write("text.txt", Bytes(500, 't')), folder_.Write("cut.rpm", truncated), folder_.Path("missing.rpm"),
      folder_.Path("no-folder/x.rpm"), folder_.Write("time.rpm", Package(badTime)), folder_.Path(""),
  };
  // An unreadable file, where this machine can make one: locked by another
  // handle under Windows, without read permission on Linux unless root.
  const std::string unreadable = folder_.Write("unreadable.rpm", Package(NameOnly()));
#ifdef _WIN32
  HANDLE lock = CreateFileA(unreadable.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  others.push_back(unreadable);
#else
  std::filesystem::permissions(unreadable, std::filesystem::perms::none);
  if (::geteuid() != 0) others.push_back(unreadable);
#endif
  const std::int64_t before = OpenHandles();
  int failures = 0;
  for (int i = 0; i < 50000; ++i) {
    failures += Describe(others[static_cast<std::size_t>(i) % others.size()]).status == DescriptionStatus::Failed;
    const Description next = Describe(good);
    if (next.text != "Name: good\r\n") FAIL() << "request " << 2 * i + 1 << ": " << next.failure;
  }
  EXPECT_GT(failures, 30000);
  EXPECT_EQ(OpenHandles(), before);
#ifdef _WIN32
  CloseHandle(lock);
#endif
}

}  // namespace
}  // namespace vantrel
