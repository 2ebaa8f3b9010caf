// The buffered file layer must give exactly what the direct one gives: the
// same texts, the same failures with the same codes, on every input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "library/description.h"
#include "library/failures.h"
#include "package_builder.h"

namespace vantrel {
namespace {

using testing::BigEndian;
using testing::Bytes;
using testing::Concat;
using testing::HeaderBuilder;
using testing::Package;

DateTextSettings Settings() {
  return LoadDateTextSettings([](std::uint32_t, std::size_t) { return std::optional<std::string>(); });
}

Bytes FullPackage(std::mt19937& random) {
  HeaderBuilder signature;
  signature.Add(1000, 7, 5, Bytes(1 + random() % 20, 0x42)).Int32(1004, 1234);
  HeaderBuilder main;
  main.String(1000, "name").String(1001, "1.0").String(1002, "1").String(1004, "summary")
      .String(1005, "line one\nline two").Int32(1006, static_cast<std::uint32_t>(random())).String(1007, "host").Int32(1009, static_cast<std::uint32_t>(random()))
      .String(1011, "vendor").String(1014, "MIT").String(1015, "packager").String(1016, "group")
      .StringArray(1018, {"a.tar.gz", "b.patch"}).String(1044, "src.rpm").String(1020, "url")
      .Add(5009, 5, 1, Bytes(8, 0x12)).Add(1100, 2, 1, {0x80});
  return Concat({Package(main, signature), Bytes(random() % 64, 0x8E)});
}

// Damage of the kinds found on old media and in hostile files.
void Mutate(Bytes& bytes, std::mt19937& random) {
  const std::uint32_t special[] = {0, 1, 15, 16, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF0};
  const int steps = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < steps && !bytes.empty(); ++i) {
    const std::size_t at = random() % bytes.size();
    switch (random() % 5) {
      case 0: bytes[at] = static_cast<std::uint8_t>(random()); break;
      case 1: bytes.resize(at); break;
      case 2: {
        const Bytes number = BigEndian(random() % 2 ? special[random() % 8] : static_cast<std::uint32_t>(random()));
        const std::size_t field = (at / 4) * 4;
        for (std::size_t k = 0; k < 4 && field + k < bytes.size(); ++k) bytes[field + k] = number[k];
        break;
      }
      case 3: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), {0x8E, 0xAD, 0xE8}); break;
      case 4: bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at)); break;
    }
  }
}

struct Outcome {
  Description description;
  std::vector<std::string> tags;
  bool operator==(const Outcome& other) const {
    return description.status == other.description.status && description.text == other.description.text &&
           description.failure == other.description.failure && tags == other.tags;
  }
};

Outcome RunRequests(PackageReader& reader, const DateTextSettings& settings, const std::string& path, std::int32_t extraTag) {
  Outcome outcome{DescribePackage(reader, settings, path), {}};
  // Lookups in another order too, each with its own failure.
  try {
    reader.OpenPackage(path);
    if (reader.CheckLead() && reader.LocateHeader())
      for (const std::int32_t tag : {extraTag, 1100, 5009, 1018, 1000})
        outcome.tags.push_back(reader.ReadTagText(tag));
  } catch (const RequestFailure& failure) {
    outcome.tags.push_back(failure.what());
  }
  reader.ClosePackage();
  return outcome;
}

TEST(BufferedFile, GivesTheSameOutcomesAsTheDirectLayer) {
  std::mt19937 random(4);
  testing::TempFolder folder;
  const DateTextSettings settings = Settings();
  PackageReader direct(std::make_unique<DirectFile>());
  // A small buffer, so that values, entries and probes straddle its fills.
  PackageReader buffered(std::make_unique<BufferedFile>(64));
  std::vector<Bytes> bases;
  for (int i = 0; i < 8; ++i) bases.push_back(FullPackage(random));
  // A header that starts several fills behind the signature.
  bases.push_back(Concat({testing::Lead(), HeaderBuilder().Build(), Bytes(301, 0x8E),
                          HeaderBuilder().String(1000, "far").Build()}));
  int failed = 0, described = 0;
  for (int i = 0; i < 3000; ++i) {
    Bytes bytes = bases[static_cast<std::size_t>(i) % bases.size()];
    if (i >= static_cast<int>(bases.size())) Mutate(bytes, random);
    const std::string path = folder.Write("case.rpm", bytes);
    const auto tag = static_cast<std::int32_t>(random() % 2 ? 1000 + random() % 50 : random());
    const Outcome want = RunRequests(direct, settings, path, tag);
    const Outcome got = RunRequests(buffered, settings, path, tag);
    ASSERT_TRUE(got == want) << "case " << i << ": direct " << want.description.failure << " / buffered "
                             << got.description.failure << "\n" << want.description.text << "\n---\n"
                             << got.description.text;
    failed += want.description.status == DescriptionStatus::Failed;
    described += want.description.status == DescriptionStatus::Described && !want.description.text.empty();
  }
  // The mutations must reach both kinds of outcome to prove anything.
  EXPECT_GT(failed, 300);
  EXPECT_GT(described, 300);
}

TEST(BufferedFile, FindsAMainHeaderFarBehindTheSignature) {
  testing::TempFolder folder;
  PackageReader reader;
  for (const std::size_t gap : {std::size_t{0}, std::size_t{13}, std::size_t{BufferedFile::kBufferSize - 130},
                                std::size_t{3 * BufferedFile::kBufferSize + 7}}) {
    Bytes junk(gap, 0x8E);  // the magic's first byte everywhere, never the whole magic
    const Bytes bytes = Concat({testing::Lead(), HeaderBuilder().Build(), junk,
                                HeaderBuilder().String(1000, "found").Build()});
    reader.OpenPackage(folder.Write("gap.rpm", bytes));
    ASSERT_TRUE(reader.CheckLead());
    ASSERT_TRUE(reader.LocateHeader());
    EXPECT_EQ(reader.ReadTagText(1000), "found") << gap;
    reader.ClosePackage();
  }
}

}  // namespace
}  // namespace vantrel
