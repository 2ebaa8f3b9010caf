// Reads an RPM package: the 96-byte lead, the signature header, and the main
// header behind it, whose tags it renders as text one at a time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "library/package_file.h"

namespace vantrel {

// Turns a big-endian 32-bit number as stored into the host's value.
constexpr std::uint32_t SwapEndian32(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

inline constexpr std::size_t kPathFieldSize = 260;  // the longest path is 259 bytes

// Header value types, as the RPM format numbers them.
enum ValueType : std::uint32_t {
  kTypeNull = 0, kTypeChar = 1, kTypeInt8 = 2, kTypeInt16 = 3, kTypeInt32 = 4,
  kTypeInt64 = 5, kTypeString = 6, kTypeBin = 7, kTypeStringArray = 8, kTypeI18nString = 9,
};

class PackageReader {
 public:
  explicit PackageReader(std::unique_ptr<PackageFile> file = std::make_unique<BufferedFile>());

  // Opens the file read-only; a failure is an IoFailure, so it answers true.
  bool OpenPackage(std::string_view path);
  // True when the file is longer than the lead and begins with ED AB EE DB.
  bool CheckLead();
  // True when the signature header's magic stands at offset 96; the main
  // header is then searched for behind the signature header.
  bool LocateHeader();
  // The value of the first index entry with this tag, as text; empty when
  // no entry has it or its type is not rendered. The whole value is read, so
  // that a damaged one fails as it would, but of strings only the first
  // `limit` bytes are kept.
  std::string ReadTagText(std::int32_t tag, std::size_t limit = std::string::npos);
  // Closes the file if it is open; a second call does nothing.
  void ClosePackage();

  std::int32_t EntryCount() const { return entryCount_; }

 private:
  struct Entry {
    std::uint32_t tag, type, offset, count;
  };
  std::string ReadZeroTerminated(std::size_t limit);
  std::uint32_t NextProbe(std::uint32_t first);
  bool ReadIntro(std::int32_t position, std::array<std::uint8_t, 16>& intro);
  bool FindEntry(std::int32_t tag, Entry& entry);
  std::uint32_t ReadNumber();

  std::unique_ptr<PackageFile> file_;
  std::array<char, kPathFieldSize> path_{};
  std::array<std::uint8_t, 96> leadBuffer_{};
  std::int32_t storeBase_ = 0;
  std::int32_t indexStart_ = 0;
  std::int32_t entryCount_ = 0;
  std::array<std::uint8_t, 16> signatureIntro_{};
  std::array<std::uint8_t, 16> headerIntro_{};
  bool isOpen_ = false;
};

}  // namespace vantrel
