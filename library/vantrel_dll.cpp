// Vantrel.dll: the exports that the host calls, and the module's state.
#include <windows.h>

#include <cstring>

#include "datetext/date_text_settings.h"
#include "library/about_win.h"
#include "library/description.h"
#include "library/host_interface.h"
#include "platform/locale_source.h"

namespace {

HINSTANCE g_module = nullptr;
vantrel::DateTextSettings g_dateTextSettings;
vantrel::PackageReader g_packageReader;

static_assert(sizeof(void*) != 4 || sizeof(vantrel::DescRequest) == 16, "the host's request record is four 32-bit fields");
static_assert(sizeof(void*) != 4 || sizeof(vantrel::ModuleInfoRec) == 12, "Name, Author, Version at 0, 4, 8");

// The module name that the host lists and the name of the one plug-in it
// registers differ by one word.
constexpr char kModuleName[] = "Linux RPM Description";
constexpr char kPluginName[] = "Linux RPM File Description";
constexpr char kAuthor[] = "Brellwick";
constexpr char kVersion[] = "1.0";
constexpr char kFileMask[] = "*.RPM";
constexpr char kAboutCaption[] = "About Vantrel.dll";
// Lines separated by a single CR, as the message box wants them.
constexpr char kAboutText[] =
    "Linux RPM File Plugins Module for Catalune\r"
    "Version 1.0\r"
    "\r"
    "\"Linux RPM File Description\" plugin\r"
    "\r"
    "(C) 2026 Brellwick";

// Fills the host's buffer as lstrcpynA with a count of 32767 would, or reports the failure.
std::int32_t DescribePackage(const char* path, char* outBuffer) {
  const vantrel::Description description =
      vantrel::DescribePackage(g_packageReader, g_dateTextSettings, path);
  if (description.status == vantrel::DescriptionStatus::Failed) return vantrel::kRequestFailed;
  const std::string_view text = vantrel::HostText(description.text);
  std::memcpy(outBuffer, text.data(), text.size());
  outBuffer[text.size()] = '\0';
  return vantrel::kRequestDone;
}

}  // namespace

extern "C" std::int32_t __stdcall ImportDesc_SameFileEx(std::uint32_t mode, vantrel::DescRequest* request) {
  if (request == nullptr) return vantrel::kNoFileName;
  request->OutBuffer[0] = '\0';
  if ((mode & 0xFFFFu) != 0) return vantrel::kModeRefused;
  if (request->FileName == nullptr) return vantrel::kNoFileName;
  try {
    return DescribePackage(request->FileName, request->OutBuffer);
  } catch (...) {
    // Nothing may unwind into the host.
    return vantrel::kRequestFailed;
  }
}

extern "C" void __stdcall PluginCommand(std::uintptr_t, void* ownerWindow, std::uint32_t command) {
  if ((command & 0xFFFFu) != 0) return;
  vantrel::ShowAboutBox(kAboutText, kAboutCaption, static_cast<HWND>(ownerWindow), g_module);
}

extern "C" std::int32_t __stdcall RegisterDescPlugins(vantrel::RegisterDescPluginProc proc) {
  return proc(0, 1, kPluginName, kFileMask, PluginCommand);
}

extern "C" void __stdcall ModuleInfoEx(vantrel::ModuleInfoRec* record) {
  lstrcpyA(record->Name, kModuleName);
  lstrcpyA(record->Author, kAuthor);
  lstrcpyA(record->Version, kVersion);
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    try {
      g_dateTextSettings = vantrel::LoadDateTextSettings(vantrel::platform::ReadLocaleItem);
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}
