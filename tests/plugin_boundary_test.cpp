// The plug-in's boundary as the host sees it in memory: the export directory,
// the calling convention, identity, registration and the resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "loaded_plugin.h"

namespace vantrel {
namespace {

using testing::LoadedPlugin;
using testing::RecordingHost;

const std::map<std::string, WORD> kExports = {
    {"ImportDesc_SameFileEx", 1}, {"RegisterDescPlugins", 2}, {"ModuleInfoEx", 3}};

class PluginBoundaryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(plugin_.Module(), nullptr); }

  template <typename T>
  const T* At(DWORD rva) const {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(plugin_.Module()) + rva);
  }
  const IMAGE_EXPORT_DIRECTORY& ExportDirectory() const {
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    const auto* nt = At<IMAGE_NT_HEADERS>(static_cast<DWORD>(dos->e_lfanew));
    return *At<IMAGE_EXPORT_DIRECTORY>(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
  }

  LoadedPlugin plugin_;
};

TEST_F(PluginBoundaryTest, ExportDirectoryHoldsThreeUndecoratedNamesUnderOrdinalsOneToThree) {
  const IMAGE_EXPORT_DIRECTORY& directory = ExportDirectory();
  EXPECT_EQ(directory.Base, 1u);
  ASSERT_EQ(directory.NumberOfFunctions, 3u);
  ASSERT_EQ(directory.NumberOfNames, 3u);
  const DWORD* names = At<DWORD>(directory.AddressOfNames);
  const WORD* ordinals = At<WORD>(directory.AddressOfNameOrdinals);
  const DWORD* functions = At<DWORD>(directory.AddressOfFunctions);
  std::map<std::string, WORD> found;
  for (DWORD i = 0; i < directory.NumberOfNames; ++i) {
    const std::string name = At<char>(names[i]);
    const WORD ordinal = static_cast<WORD>(directory.Base + ordinals[i]);
    found[name] = ordinal;
    const FARPROC byName = GetProcAddress(plugin_.Module(), name.c_str());
    EXPECT_EQ(byName, GetProcAddress(plugin_.Module(), MAKEINTRESOURCEA(ordinal))) << name;
    EXPECT_EQ(reinterpret_cast<const void*>(byName), At<void>(functions[ordinals[i]])) << name;
  }
  EXPECT_EQ(found, kExports);
}

#if defined(__i386__)
// Calls `routine` with `args` pushed last to first and returns how far the
// stack pointer moved over the call: 0 when the routine removes its own
// arguments (stdcall), 4 bytes per argument when it leaves them (cdecl).
std::ptrdiff_t StackPointerChange(const void* routine, std::vector<std::uint32_t> args) {
  std::uintptr_t before = 0, after = 0;
  std::uint32_t count = static_cast<std::uint32_t>(args.size());
  const std::uint32_t* data = args.data();
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "1: pushl -4(%%edx,%%ecx,4)\n\t"
      "decl %%ecx\n\t"
      "jnz 1b\n\t"
      "call *%%eax\n\t"
      "movl %%esp, %%edi\n\t"
      "movl %%esi, %%esp"
      : "=&S"(before), "=&D"(after), "+c"(count), "+a"(routine), "+d"(data)
      :
      : "memory", "cc");
  return static_cast<std::ptrdiff_t>(before - after);
}

TEST_F(PluginBoundaryTest, EveryExportAndTheCommandCallbackRemoveTheirOwnArguments) {
  char name[64], author[64], version[64];
  ModuleInfoRec record{name, author, version};
  DescRequest request{nullptr, name, 0, 0};
  const auto address = [&](const char* exported) { return reinterpret_cast<const void*>(GetProcAddress(plugin_.Module(), exported)); };
  const auto self = [](const auto* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); };
  EXPECT_EQ(StackPointerChange(address("ImportDesc_SameFileEx"), {1, self(&request)}), 0);
  EXPECT_EQ(StackPointerChange(address("ModuleInfoEx"), {self(&record)}), 0);
  EXPECT_EQ(StackPointerChange(address("RegisterDescPlugins"),
                               {static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&RecordingHost::Register))}),
            0);
  // Command 1 opens nothing, so the call returns at once.
  EXPECT_EQ(StackPointerChange(reinterpret_cast<const void*>(plugin_.Command()), {0, 0, 1}), 0);
}
#else
TEST_F(PluginBoundaryTest, EveryExportAndTheCommandCallbackRemoveTheirOwnArguments) {
  GTEST_SKIP() << "x64 has one calling convention; the 32-bit build proves stdcall";
}
#endif

TEST_F(PluginBoundaryTest, ModuleInfoWritesTheTextsAndTheirZerosOnly) {
  const auto moduleInfo = plugin_.Export<decltype(&ModuleInfoEx)>("ModuleInfoEx");
  const auto describe = plugin_.Export<decltype(&ImportDesc_SameFileEx)>("ImportDesc_SameFileEx");
  const auto registerPlugins = plugin_.Export<decltype(&RegisterDescPlugins)>("RegisterDescPlugins");
  const struct {
    const char* text;
    std::size_t written;
  } expected[] = {{"Linux RPM Description", 22}, {"Brellwick", 10}, {"1.0", 4}};
  // Identity does not depend on what else the host has called, or in which order.
  for (int round = 0; round < 3; ++round) {
    std::vector<char> buffers[3];
    for (auto& b : buffers) b.assign(64, '\x7F');
    ModuleInfoRec record{buffers[0].data(), buffers[1].data(), buffers[2].data()};
    moduleInfo(&record);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(std::string(buffers[i].data(), expected[i].written), std::string(expected[i].text, expected[i].written));
      for (std::size_t k = expected[i].written; k < buffers[i].size(); ++k) ASSERT_EQ(buffers[i][k], '\x7F') << i;
    }
    std::vector<char> out(32767);
    DescRequest request{"C:\\no-such-folder\\p.rpm", out.data(), 0, 0};
    if (round == 1) registerPlugins(RecordingHost::Register);
    describe(0, &request);
  }
}

TEST_F(PluginBoundaryTest, RegistrationPassesTheExactArgumentsAndReturnsTheRoutinesResult) {
  const auto registerPlugins = plugin_.Export<decltype(&RegisterDescPlugins)>("RegisterDescPlugins");
  for (const std::int32_t answer : {0, 1, -1, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000u)}) {
    RecordingHost::answer = answer;
    RecordingHost::calls.clear();
    EXPECT_EQ(registerPlugins(RecordingHost::Register), answer);
    EXPECT_EQ(registerPlugins(RecordingHost::Register), answer);
    ASSERT_EQ(RecordingHost::calls.size(), 2u) << "one registration call per call";
    for (const auto& call : RecordingHost::calls) {
      EXPECT_EQ(call.first, 0);
      EXPECT_EQ(call.second, 1);
      EXPECT_STREQ(call.name, "Linux RPM File Description");
      EXPECT_STREQ(call.mask, "*.RPM");
      HMODULE owner = nullptr;
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<const char*>(call.command), &owner);
      EXPECT_EQ(owner, plugin_.Module()) << "the command callback lives in the plug-in";
    }
    EXPECT_EQ(RecordingHost::calls[0].name, RecordingHost::calls[1].name);
    EXPECT_EQ(RecordingHost::calls[0].command, RecordingHost::calls[1].command);
  }
  RecordingHost::answer = 1;
}

TEST_F(PluginBoundaryTest, CommandsOtherThanZeroDoNothing) {
  const PluginCommandProc command = plugin_.Command();
  ASSERT_NE(command, nullptr);
  // Were any of these to open the box, the call would not return here.
  for (const std::uint32_t code : {1u, 0xFFFFu, 0x10001u, 0xFFFF8000u}) command(0, nullptr, code);
}

std::string VersionString(const std::vector<char>& block, const std::string& key) {
  void* value = nullptr;
  UINT length = 0;
  const std::string path = "\\StringFileInfo\\340A04E4\\" + key;
  if (!VerQueryValueA(block.data(), path.c_str(), &value, &length)) return "<missing>";
  return std::string(static_cast<const char*>(value));
}

TEST_F(PluginBoundaryTest, VersionRecordReadsBackThroughTheVersionApi) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(plugin_.Module(), path, MAX_PATH), 0u);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  EXPECT_EQ(fixed->dwFileSubtype, 0u);
  EXPECT_EQ(fixed->dwFileDateMS | fixed->dwFileDateLS, 0u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x340A);
  EXPECT_EQ(translation[1], 1252);

  EXPECT_EQ(VersionString(block, "FileDescription"), "Linux RPM File Description Module for Catalune");
  EXPECT_EQ(VersionString(block, "FileVersion"), "1.0.0.0");
  EXPECT_EQ(VersionString(block, "InternalName"), "Vantrel.dll");
  EXPECT_EQ(VersionString(block, "OriginalFilename"), "Vantrel.dll");
  EXPECT_EQ(VersionString(block, "ProductName"), "Linux RPM File Description Module");
  EXPECT_EQ(VersionString(block, "ProductVersion"), "1.0.0.0");
  EXPECT_EQ(VersionString(block, "Comments"), "");
  for (const char* maker : {"CompanyName", "LegalCopyright", "LegalTrademarks"})
    EXPECT_NE(VersionString(block, maker).find("Brellwick"), std::string::npos) << maker;
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

std::string Resource(HMODULE module, const char* type, const char* name) {
  const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  HRSRC found = FindResourceExA(module, type, name, neutral);
  if (found == nullptr) return {};
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return std::string(data, SizeofResource(module, found));
}

TEST_F(PluginBoundaryTest, IconGroupHoldsTwo32PixelImagesSharingOneMask) {
  const std::string group = Resource(plugin_.Module(), MAKEINTRESOURCEA(14), "RPICON");  // RT_GROUP_ICON
  ASSERT_EQ(group.size(), 6 + 2 * sizeof(GroupIconEntry));
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(group.data() + 6);
  const struct {
    WORD bits;
    DWORD bytes;
  } expected[] = {{8, 2216}, {24, 3240}};
  std::string masks[2];
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(entries[i].width, 32);
    EXPECT_EQ(entries[i].height, 32);
    EXPECT_EQ(entries[i].bitCount, expected[i].bits);
    EXPECT_EQ(entries[i].bytes, expected[i].bytes);
    const std::string image = Resource(plugin_.Module(), MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(entries[i].id));
    ASSERT_EQ(image.size(), expected[i].bytes);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
    EXPECT_EQ(header->biWidth, 32);
    EXPECT_EQ(header->biHeight, 64);  // the picture and its mask
    EXPECT_EQ(header->biBitCount, expected[i].bits);
    masks[i] = image.substr(image.size() - 128);
  }
  EXPECT_EQ(masks[0], masks[1]);
  EXPECT_NE(masks[0], std::string(128, '\xFF')) << "the mask leaves something visible";
}

}  // namespace
}  // namespace vantrel
