#include "library/description.h"

#include <algorithm>

#include "library/build_date.h"
#include "library/failures.h"

namespace vantrel {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// How much of a field's value can still matter: what fits in the host's part
// of the text, and at least one byte, which tells an empty value from another.
// A build time is not shown but read as a number; 32767 bytes of it are more
// than any number needs, short of thousands of leading blanks or zeros.
std::size_t KeptLength(const DescriptionField& field, const std::string& text) {
  if (field.Rendering == Rendering::BuildDate) return kMaxHostText + 1;
  return std::max<std::size_t>(1, kMaxHostText - std::min(kMaxHostText, text.size()));
}

std::string FieldValue(PackageReader& reader, const DescriptionField& field, std::size_t limit) {
  std::string value = reader.ReadTagText(field.Tag, limit);
  if (value.empty() && field.FallbackTag != 0) value = reader.ReadTagText(field.FallbackTag, limit);
  return value;
}

void AppendEntry(std::string& text, const DescriptionField& field, const std::string& value,
                 const DateTextSettings& settings) {
  text += field.Label;
  switch (field.Rendering) {
    case Rendering::Inline: text += value; break;
    case Rendering::BuildDate: text += FormatBuildDate(value, settings); break;
    case Rendering::ValueBelow:
      text += kLineEnd;
      text += value;
      break;
  }
  text += kLineEnd;
}

Description ComposeDescription(PackageReader& reader, const DateTextSettings& settings, std::string_view path) {
  reader.OpenPackage(path);
  if (!reader.CheckLead() || !reader.LocateHeader()) return {DescriptionStatus::NotAPackage, {}, {}};
  Description description;
  for (const DescriptionField& field : kDescriptionFields) {
    const std::string value = FieldValue(reader, field, KeptLength(field, description.text));
    if (!value.empty()) AppendEntry(description.text, field, value, settings);
  }
  return description;
}

}  // namespace

Description DescribePackage(PackageReader& reader, const DateTextSettings& settings, std::string_view path) {
  Description description;
  try {
    description = ComposeDescription(reader, settings, path);
    reader.ClosePackage();
  } catch (const std::exception& failure) {  // I/O and conversion failures, or memory running out
    description = {DescriptionStatus::Failed, {}, failure.what()};
    try {
      reader.ClosePackage();
    } catch (const std::exception&) {
      // The request has failed already; the reader is marked closed either way.
    }
  }
  return description;
}

std::string_view HostText(std::string_view text) { return text.substr(0, kMaxHostText); }

}  // namespace vantrel
