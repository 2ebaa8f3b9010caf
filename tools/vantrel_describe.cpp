// vantrel-describe FILE...: writes each file's description exactly as the
// host would receive it, with dates in the environment's LC_TIME.
#include <cstdio>
#include <string>

#include "library/description.h"
#include "platform/locale_source.h"

namespace {

constexpr const char* kProgram = "vantrel-describe";

bool DescribeOne(vantrel::PackageReader& reader, const vantrel::DateTextSettings& settings, const char* path,
                 bool withHeading) {
  const vantrel::Description description = vantrel::DescribePackage(reader, settings, path);
  if (withHeading) std::printf("==> %s <==\n", path);
  switch (description.status) {
    case vantrel::DescriptionStatus::Failed:
      std::fprintf(stderr, "%s: %s: %s\n", kProgram, path, description.failure.c_str());
      return false;
    case vantrel::DescriptionStatus::NotAPackage:
      std::fprintf(stderr, "%s: %s: not an RPM package\n", kProgram, path);
      return false;
    case vantrel::DescriptionStatus::Described: {
      const std::string_view text = vantrel::HostText(description.text);
      std::fwrite(text.data(), 1, text.size(), stdout);
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE...\n", kProgram);
    return 2;
  }
  const vantrel::DateTextSettings settings = vantrel::LoadDateTextSettings(vantrel::platform::ReadLocaleItem);
  vantrel::PackageReader reader;
  bool allDescribed = true;
  for (int i = 1; i < argc; ++i) {
    std::fflush(stdout);
    allDescribed &= DescribeOne(reader, settings, argv[i], argc > 2);
  }
  return allDescribed ? 0 : 1;
}
