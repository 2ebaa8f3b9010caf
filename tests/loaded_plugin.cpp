#include "loaded_plugin.h"

namespace vantrel::testing {

std::vector<RegistrationCall> RecordingHost::calls;
std::int32_t RecordingHost::answer = 1;

std::int32_t VANTREL_STDCALL RecordingHost::Register(std::int32_t first, std::int32_t second, const char* name,
                                                     const char* mask, PluginCommandProc command) {
  calls.push_back({first, second, name, mask, command});
  return answer;
}

PluginCommandProc LoadedPlugin::Command() const {
  RecordingHost::calls.clear();
  Export<decltype(&RegisterDescPlugins)>("RegisterDescPlugins")(RecordingHost::Register);
  return RecordingHost::calls.empty() ? nullptr : RecordingHost::calls.back().command;
}

}  // namespace vantrel::testing
