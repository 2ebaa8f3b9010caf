// libFuzzer target: arbitrary bytes described as a package file. The same
// bytes go through the 256 KiB buffered layer, a 64-byte buffered layer and,
// for small inputs, the unbuffered layer; all must reach the same outcome,
// and no outcome may crash, hang or leave the file open.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "library/description.h"

namespace {

using vantrel::Description;

const std::string& InputPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("vantrel-fuzz-" + std::to_string(::getpid()) + ".rpm")).string();
  return path;
}

void RequireSame(const Description& a, const Description& b, const char* layer) {
  if (a.status == b.status && a.text == b.text && a.failure == b.failure) return;
  std::fprintf(stderr, "%s disagrees: status %d/%d, failure '%s'/'%s', text %zu/%zu bytes\n", layer,
               static_cast<int>(a.status), static_cast<int>(b.status), a.failure.c_str(), b.failure.c_str(),
               a.text.size(), b.text.size());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const vantrel::DateTextSettings settings =
      vantrel::LoadDateTextSettings([](std::uint32_t, std::size_t) { return std::optional<std::string>(); });
  static vantrel::PackageReader buffered;
  static vantrel::PackageReader small(std::make_unique<vantrel::BufferedFile>(64));
  static vantrel::PackageReader direct(std::make_unique<vantrel::DirectFile>());
  {
    std::ofstream file(InputPath(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const Description described = vantrel::DescribePackage(buffered, settings, InputPath());
  if (vantrel::HostText(described.text).size() > vantrel::kMaxHostText) std::abort();
  if (described.status == vantrel::DescriptionStatus::Failed && !described.text.empty()) std::abort();
  RequireSame(described, vantrel::DescribePackage(small, settings, InputPath()), "64-byte buffer");
  if (size <= 4096) RequireSame(described, vantrel::DescribePackage(direct, settings, InputPath()), "direct layer");
  return 0;
}
