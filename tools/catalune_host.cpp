// catalune-host.exe [--lcid HEX] describe FILE...
// A stand-in for the host: loads Vantrel.dll from its own folder the way the
// host does, and makes description requests as the host makes them.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "library/host_interface.h"

namespace {

using DescribeProc = std::int32_t(__stdcall*)(std::uint32_t, vantrel::DescRequest*);

int Usage() {
  std::fprintf(stderr, "usage: catalune-host.exe [--lcid HEX] describe FILE...\n");
  return 2;
}

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  const auto slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

FARPROC Export(HMODULE module, const char* name, WORD ordinal) {
  FARPROC byName = GetProcAddress(module, name);
  FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  if (byName == nullptr || byName != byOrdinal) {
    std::fprintf(stderr, "catalune-host: export %s and ordinal %u differ (%p, %p)\n", name, ordinal,
                 reinterpret_cast<void*>(byName), reinterpret_cast<void*>(byOrdinal));
    std::exit(3);
  }
  return byName;
}

int Describe(HMODULE module, int count, char** files) {
  const auto describe = reinterpret_cast<DescribeProc>(Export(module, "ImportDesc_SameFileEx", 1));
  std::vector<char> buffer(32767);
  _setmode(_fileno(stdout), _O_BINARY);
  for (int i = 0; i < count; ++i) {
    std::memset(buffer.data(), 'x', buffer.size());
    vantrel::DescRequest request{files[i], buffer.data(), 0, 0};
    const std::int32_t result = describe(0, &request);
    const std::size_t length = strnlen(buffer.data(), buffer.size());
    std::fwrite(buffer.data(), 1, length, stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: result %ld\n", files[i], static_cast<long>(result));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  if (next + 1 < argc && std::strcmp(argv[next], "--lcid") == 0) {
    const LCID lcid = std::strtoul(argv[next + 1], nullptr, 16);
    if (!SetThreadLocale(lcid)) {
      std::fprintf(stderr, "catalune-host: cannot set locale %s\n", argv[next + 1]);
      return 2;
    }
    next += 2;
  }
  if (next >= argc) return Usage();
  const std::string command = argv[next++];
  const std::string dll = OwnFolder() + "Vantrel.dll";
  HMODULE module = LoadLibraryA(dll.c_str());
  if (module == nullptr) {
    std::fprintf(stderr, "catalune-host: cannot load %s (error %lu)\n", dll.c_str(), GetLastError());
    return 3;
  }
  int status = 2;
  if (command == "describe" && next < argc) status = Describe(module, argc - next, argv + next);
  else status = Usage();
  FreeLibrary(module);
  return status;
}
