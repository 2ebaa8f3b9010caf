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

}  // namespace vantrel

extern "C" std::int32_t VANTREL_STDCALL ImportDesc_SameFileEx(std::uint32_t mode, vantrel::DescRequest* request);
