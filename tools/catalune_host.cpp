// catalune-host.exe [--lcid HEX] describe FILE... | info | about
// A stand-in for the host: loads Vantrel.dll from its own folder the way the
// host does, and calls its exports as the host calls them.
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
  std::fprintf(stderr, "usage: catalune-host.exe [--lcid HEX] describe FILE... | info | about\n");
  return 2;
}

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  const auto slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

template <typename Proc>
Proc Export(HMODULE module, const char* name, WORD ordinal) {
  FARPROC byName = GetProcAddress(module, name);
  FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  if (byName == nullptr || byName != byOrdinal) {
    std::fprintf(stderr, "catalune-host: export %s and ordinal %u differ (%p, %p)\n", name, ordinal,
                 reinterpret_cast<void*>(byName), reinterpret_cast<void*>(byOrdinal));
    std::exit(3);
  }
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(byName));
}

int Describe(HMODULE module, int count, char** files) {
  const auto describe = Export<DescribeProc>(module, "ImportDesc_SameFileEx", 1);
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

// What the library passed to the host's registration routine.
struct Registration {
  int calls = 0;
  std::int32_t first = 0, second = 0;
  const char* name = nullptr;
  const char* mask = nullptr;
  vantrel::PluginCommandProc command = nullptr;
} g_registration;

std::int32_t __stdcall RegisterDescPlugin(std::int32_t first, std::int32_t second, const char* name, const char* mask,
                                          vantrel::PluginCommandProc command) {
  g_registration = {g_registration.calls + 1, first, second, name, mask, command};
  return 1;
}

std::int32_t Register(HMODULE module) {
  const auto registerPlugins = Export<decltype(&RegisterDescPlugins)>(module, "RegisterDescPlugins", 2);
  g_registration = {};
  return registerPlugins(RegisterDescPlugin);
}

int Info(HMODULE module) {
  const auto moduleInfo = Export<decltype(&ModuleInfoEx)>(module, "ModuleInfoEx", 3);
  char name[256] = {}, author[256] = {}, version[256] = {};
  vantrel::ModuleInfoRec record{name, author, version};
  moduleInfo(&record);
  std::printf("Name: %s\nAuthor: %s\nVersion: %s\n", name, author, version);

  const std::int32_t result = Register(module);
  const auto base = reinterpret_cast<std::uintptr_t>(module);
  std::printf("RegisterDescPlugin(%ld, %ld, \"%s\", \"%s\", Vantrel.dll+0x%llx) returned %ld; %d call(s)\n",
              static_cast<long>(g_registration.first), static_cast<long>(g_registration.second), g_registration.name,
              g_registration.mask,
              static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(g_registration.command) - base),
              static_cast<long>(result), g_registration.calls);
  return 0;
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Sends command 0 to the plug-in's callback from a real main window, as the
// host's About menu item does, and returns when the box is closed.
int About(HMODULE module) {
  Register(module);
  if (g_registration.command == nullptr) return 3;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CataluneHost";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&windowClass);
  HWND owner = CreateWindowA("CataluneHost", "Catalune", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 480, 320, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
  if (owner == nullptr) {
    std::fprintf(stderr, "catalune-host: cannot create a window (error %lu)\n", GetLastError());
    return 3;
  }
  g_registration.command(0, owner, 0);
  std::printf("PluginCommand returned\n");
  DestroyWindow(owner);
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
  else if (command == "info" && next == argc) status = Info(module);
  else if (command == "about" && next == argc) status = About(module);
  else status = Usage();
  FreeLibrary(module);
  return status;
}
