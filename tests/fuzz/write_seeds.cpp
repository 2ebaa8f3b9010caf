// Writes the fuzzer's seed packages, made with the test fixture builder, into
// the folder given: the shapes whose neighbours are worth exploring.
#include <cstdio>
#include <fstream>
#include <string>

#include "package_builder.h"

using namespace vantrel::testing;

namespace {

HeaderBuilder AllFields() {
  HeaderBuilder main;
  main.String(1000, "name").String(1001, "1.0").String(1002, "2").String(1011, "Vendor").Int32(1009, 1234);
  main.Int32(1006, 1200000000).String(1007, "host").String(1016, "Group").String(1014, "GPL");
  main.String(1015, "Packager").String(1018, "name-1.0-2.src.rpm").String(1020, "http://x");
  main.String(1004, "summary").String(1005, "line one\nline two");
  return main;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write-seeds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  int written = 0;
  const auto write = [&](const Bytes& bytes) {
    std::ofstream(folder + "/seed-" + std::to_string(++written) + ".rpm", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  HeaderBuilder signature;
  signature.Int32(1000, 5000).String(1004, "sig");
  write(Package(AllFields(), signature));
  HeaderBuilder arrays;
  arrays.StringArray(1000, {"a", "b", "c"}).StringArray(1005, {"x"}, 9).Add(1009, 5, 1, Bytes(8, 0xFF));
  arrays.Add(1001, 2, 1, {0x80}).Add(1002, 3, 1, {0, 1}).String(1006, "  0x7FFFFFFF");
  write(Package(arrays));
  HeaderBuilder odd;
  odd.Entry(1000, 6, 0x7FFFFFF0u, 1).Entry(1001, 8, 0, 0xFFFFFFFFu).IntroCount(0x80000000u).String(1006, "-1");
  write(Package(odd));
  HeaderBuilder sizes;
  sizes.Add(5009, 5, 1, BigEndian(1)).Add(1044, 6, 1, Text(std::string("src") + '\0')).IntroStoreSize(0);
  write(Concat({Package(sizes), Bytes(40, 0x8E)}));
  write(Concat({Lead(), HeaderBuilder().IntroStoreSize(7).Build(), Bytes(3, 0), AllFields().Build()}));
  return 0;
}
