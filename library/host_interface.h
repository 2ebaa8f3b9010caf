// The records and routines that cross the boundary with the host, Catalune.
// Every routine is stdcall: 32-bit argument slots, removed by the callee.
#pragma once

#include <cstdint>

#ifdef _WIN32
#define VANTREL_STDCALL __stdcall
#else
#define VANTREL_STDCALL
#endif

namespace vantrel {

// The host's request for one description; the library only reads it.
struct DescRequest {
  const char* FileName;  // zero-terminated path; null: no file named
  char* OutBuffer;       // room for 32767 bytes
  std::uint32_t HostField1;
  std::uint32_t HostField2;
};

// Answers of ImportDesc_SameFileEx.
inline constexpr std::int32_t kRequestDone = 0;
inline constexpr std::int32_t kNoFileName = -1;
inline constexpr std::int32_t kModeRefused = -2;
inline constexpr std::int32_t kRequestFailed = -3;  // the file could not be opened or read

// The host's identity record: three pointers to text buffers that the host sizes.
struct ModuleInfoRec {
  char* Name;
  char* Author;
  char* Version;
};

// The command callback that the library hands to the host at registration:
// a value of the host's (never read), the owner window, the command code.
using PluginCommandProc = void(VANTREL_STDCALL*)(std::uintptr_t hostValue, void* ownerWindow, std::uint32_t command);

// The host's registration routine: 0, 1, plug-in name, file mask, command callback.
using RegisterDescPluginProc = std::int32_t(VANTREL_STDCALL*)(std::int32_t, std::int32_t, const char* name,
                                                              const char* mask, PluginCommandProc command);

}  // namespace vantrel

extern "C" {
std::int32_t VANTREL_STDCALL ImportDesc_SameFileEx(std::uint32_t mode, vantrel::DescRequest* request);
std::int32_t VANTREL_STDCALL RegisterDescPlugins(vantrel::RegisterDescPluginProc proc);
void VANTREL_STDCALL ModuleInfoEx(vantrel::ModuleInfoRec* record);
}
