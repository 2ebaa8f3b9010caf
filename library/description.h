// Composition of a package's description: one labelled line per header tag
// that holds a value, in the order of the field table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "datetext/date_text_settings.h"
#include "library/package_reader.h"

namespace vantrel {

enum class Rendering { Inline, BuildDate, ValueBelow };

struct DescriptionField {
  std::string_view Label;
  std::int32_t Tag;
  std::int32_t FallbackTag;  // 0: none; read only when Tag yields nothing
  vantrel::Rendering Rendering;
};

inline constexpr std::array<DescriptionField, 14> kDescriptionFields = {{
    {"Name: ", 1000, 0, Rendering::Inline},
    {"Version: ", 1001, 0, Rendering::Inline},
    {"Release: ", 1002, 0, Rendering::Inline},
    {"Vendor: ", 1011, 0, Rendering::Inline},
    {"Size: ", 1009, 5009, Rendering::Inline},  // SIZE, else LONGSIZE (4 GiB and more, rpm 6)
    {"Build Date: ", 1006, 0, Rendering::BuildDate},
    {"Build Host: ", 1007, 0, Rendering::Inline},
    {"Group: ", 1016, 0, Rendering::Inline},
    {"License: ", 1014, 0, Rendering::Inline},
    {"Packager: ", 1015, 0, Rendering::Inline},
    {"Source RPM: ", 1018, 1044, Rendering::Inline},
    {"URL: ", 1020, 0, Rendering::Inline},
    {"Summary: ", 1004, 0, Rendering::Inline},
    {"Description: ", 1005, 0, Rendering::ValueBelow},
}};

// The host's buffer holds at most this many bytes of text and a zero byte.
inline constexpr std::size_t kMaxHostText = 32766;

enum class DescriptionStatus {
  Described,    // an RPM package: the text may still be empty
  NotAPackage,  // no lead, or no signature header: empty text
  Failed,       // an I/O or conversion failure: empty text, `failure` tells why
};

struct Description {
  DescriptionStatus status = DescriptionStatus::Described;
  // Exact up to the host's 32766 bytes; beyond them values are cut short,
  // since nothing more of them can reach the host.
  std::string text;
  std::string failure;
};

// Describes one file. The reader's file is closed on every path.
Description DescribePackage(PackageReader& reader, const DateTextSettings& settings, std::string_view path);

// The part of a description that reaches the host: its first 32766 bytes.
std::string_view HostText(std::string_view text);

}  // namespace vantrel
