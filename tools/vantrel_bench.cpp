// vantrel-bench [--repeat N] FILE...: what one description costs, in time and
// in platform calls, beside two references measured in the same run: a floor
// that opens the file, reads its first 256 KiB and closes it, and (when built
// with librpm) librpm reading the header with digest and signature checks off.
// A third line reads the whole file, the floor for a search through all of it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/description.h"
#include "platform/file_access.h"

#ifdef VANTREL_HAVE_LIBRPM
#include <rpm/header.h>
#include <rpm/rpmio.h>
#include <rpm/rpmlib.h>
#include <rpm/rpmts.h>
#endif

namespace {

using vantrel::platform::CallCounts;
using vantrel::platform::PlatformCalls;

struct Measure {
  double microseconds = 0;
  CallCounts calls;
};

Measure Time(int repeat, const std::function<void()>& work) {
  const CallCounts before = PlatformCalls();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeat; ++i) work();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  const CallCounts after = PlatformCalls();
  Measure m;
  m.microseconds = spent.count() / repeat;
  m.calls = {(after.opens - before.opens) / repeat, (after.reads - before.reads) / repeat,
             (after.positionings - before.positionings) / repeat,
             (after.sizeQueries - before.sizeQueries) / repeat, (after.closes - before.closes) / repeat};
  return m;
}

void ReadFloor(const char* path, bool wholeFile) {
  static std::vector<char> buffer(256 * 1024);
  vantrel::platform::ReadOnlyFile file;
  if (file.Open(path) != 0) return;
  std::uint32_t got = 0;
  do {
    file.Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), got);
  } while (wholeFile && got == buffer.size());
  file.Close();
}

#ifdef VANTREL_HAVE_LIBRPM
void ReadWithLibrpm(rpmts ts, const char* path) {
  FD_t fd = Fopen(path, "r.ufdio");
  if (fd == nullptr || Ferror(fd)) {
    if (fd) Fclose(fd);
    return;
  }
  Header header = nullptr;
  if (rpmReadPackageFile(ts, fd, path, &header) == RPMRC_OK) {
    std::string text;
    for (const rpmTagVal tag : {RPMTAG_NAME, RPMTAG_VERSION, RPMTAG_RELEASE, RPMTAG_SUMMARY, RPMTAG_DESCRIPTION}) {
      const char* value = headerGetString(header, tag);
      if (value) text += value;
    }
  }
  headerFree(header);
  Fclose(fd);
}
#endif

struct Total {
  const char* name;
  double microseconds = 0;
  double calls = 0;
  bool counted = true;
};

void Summary(const Total& total, std::size_t count) {
  const auto files = static_cast<double>(count);
  if (total.counted)
    std::printf("vantrel-bench: %s files=%zu us_per_file=%.1f calls_per_file=%.1f\n", total.name, count,
                total.microseconds / files, total.calls / files);
  else
    std::printf("vantrel-bench: %s files=%zu us_per_file=%.1f calls_per_file=n/a\n", total.name, count,
                total.microseconds / files);
}

std::string Calls(const CallCounts& c) {
  char text[64];
  std::snprintf(text, sizeof text, "%llu (%llu/%llu/%llu/%llu/%llu)", static_cast<unsigned long long>(c.Total()),
                static_cast<unsigned long long>(c.opens), static_cast<unsigned long long>(c.reads),
                static_cast<unsigned long long>(c.positionings), static_cast<unsigned long long>(c.sizeQueries),
                static_cast<unsigned long long>(c.closes));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  int repeat = 200;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--repeat") == 0) {
    repeat = std::max(1, std::atoi(argv[2]));
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: vantrel-bench [--repeat N] FILE...\n");
    return 2;
  }
  const vantrel::DateTextSettings settings =
      vantrel::LoadDateTextSettings([](std::uint32_t, std::size_t) { return std::optional<std::string>(); });
  vantrel::PackageReader reader;
#ifdef VANTREL_HAVE_LIBRPM
  rpmReadConfigFiles(nullptr, nullptr);
  rpmts ts = rpmtsCreate();
  rpmtsSetVSFlags(ts, _RPMVSF_NODIGESTS | _RPMVSF_NOSIGNATURES | RPMVSF_NOHDRCHK);
  Total librpm{"librpm", 0, 0, false};
#endif
  Total vantrel{"vantrel"}, floor{"floor"}, whole{"floor-whole-file"};
  std::printf("%-48s %10s %-22s %10s %-18s %12s", "package (calls: open/read/position/size/close)", "us", "calls",
              "floor us", "floor calls", "whole us");
#ifdef VANTREL_HAVE_LIBRPM
  std::printf(" %10s", "librpm us");
#endif
  std::printf("\n");
  for (int i = first; i < argc; ++i) {
    const char* path = argv[i];
    const Measure v = Time(repeat, [&] { vantrel::DescribePackage(reader, settings, path); });
    const Measure f = Time(repeat, [&] { ReadFloor(path, false); });
    const Measure w = Time(repeat, [&] { ReadFloor(path, true); });
    std::string name = path;
    if (name.size() > 48) name = "..." + name.substr(name.size() - 45);
    std::printf("%-48s %10.1f %-22s %10.1f %-18s %12.1f", name.c_str(), v.microseconds, Calls(v.calls).c_str(),
                f.microseconds, Calls(f.calls).c_str(), w.microseconds);
    vantrel.microseconds += v.microseconds, vantrel.calls += static_cast<double>(v.calls.Total());
    floor.microseconds += f.microseconds, floor.calls += static_cast<double>(f.calls.Total());
    whole.microseconds += w.microseconds, whole.calls += static_cast<double>(w.calls.Total());
#ifdef VANTREL_HAVE_LIBRPM
    const Measure r = Time(repeat, [&] { ReadWithLibrpm(ts, path); });
    std::printf(" %10.1f", r.microseconds);
    librpm.microseconds += r.microseconds;
#endif
    std::printf("\n");
  }
  const std::size_t files = static_cast<std::size_t>(argc - first);
  Summary(vantrel, files);
  Summary(floor, files);
  Summary(whole, files);
#ifdef VANTREL_HAVE_LIBRPM
  Summary(librpm, files);
  std::printf("vantrel-bench: ratio vantrel/floor=%.2f vantrel/librpm=%.2f\n", vantrel.microseconds / floor.microseconds,
              vantrel.microseconds / librpm.microseconds);
  rpmtsFree(ts);
#else
  std::printf("vantrel-bench: ratio vantrel/floor=%.2f vantrel/librpm=n/a (built without librpm)\n",
              vantrel.microseconds / floor.microseconds);
#endif
  return 0;
}
