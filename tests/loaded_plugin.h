// Vantrel.dll loaded from the test program's folder, as the host loads it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "library/host_interface.h"

namespace vantrel::testing {

// A host registration routine (stdcall, five arguments) that records each call.
struct RegistrationCall {
  std::int32_t first;
  std::int32_t second;
  const char* name;
  const char* mask;
  PluginCommandProc command;
};
struct RecordingHost {
  static std::vector<RegistrationCall> calls;
  static std::int32_t answer;
  static std::int32_t VANTREL_STDCALL Register(std::int32_t first, std::int32_t second, const char* name,
                                               const char* mask, PluginCommandProc command);
};

class LoadedPlugin {
 public:
  LoadedPlugin() : module_(LoadLibraryA("Vantrel.dll")) {}
  ~LoadedPlugin() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  HMODULE Module() const { return module_; }

  template <typename Proc>
  Proc Export(const char* name) const {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  // The command callback, as the plug-in hands it to the host's registration routine.
  PluginCommandProc Command() const;

 private:
  HMODULE module_;
};

}  // namespace vantrel::testing
