#include "platform/locale_source.h"

#include <windows.h>

#include <vector>

namespace vantrel::platform {

std::optional<std::string> ReadLocaleItem(std::uint32_t item, std::size_t capacity) {
  std::vector<char> buffer(capacity);
  const int written =
      GetLocaleInfoA(GetThreadLocale(), item, buffer.data(), static_cast<int>(capacity));
  if (written <= 0) return std::nullopt;
  return std::string(buffer.data(), static_cast<std::size_t>(written - 1));
}

}  // namespace vantrel::platform
