// Writes RPM package files byte by byte for the tests: lead, signature
// header, padding, main header (intro, index, store), anything after it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes BigEndian(std::uint32_t value);
Bytes Text(std::string_view text);  // the bytes, no zero added

class HeaderBuilder {
 public:
  // Adds an index entry whose value is appended to the store.
  HeaderBuilder& Add(std::uint32_t tag, std::uint32_t type, std::uint32_t count, const Bytes& value);
  HeaderBuilder& String(std::uint32_t tag, std::string_view text);
  HeaderBuilder& Int32(std::uint32_t tag, std::uint32_t value);
  HeaderBuilder& StringArray(std::uint32_t tag, std::initializer_list<std::string_view> items, std::uint32_t type = 8);
  // Adds an entry that points at a given store offset, adding nothing to the store.
  HeaderBuilder& Entry(std::uint32_t tag, std::uint32_t type, std::uint32_t offset, std::uint32_t count);
  // Overrides the entry count written in the intro.
  HeaderBuilder& IntroCount(std::uint32_t count);
  HeaderBuilder& IntroStoreSize(std::uint32_t size);

  Bytes Intro() const;
  Bytes Index() const;
  const Bytes& Store() const { return store_; }
  Bytes Build() const;  // intro, index, store

 private:
  std::vector<std::uint32_t> entries_;  // four numbers per entry
  Bytes store_;
  std::int64_t introCount_ = -1;
  std::int64_t introStoreSize_ = -1;
};

Bytes Lead();
// Lead, signature header padded to a multiple of 8, main header.
Bytes Package(const HeaderBuilder& main, const HeaderBuilder& signature = HeaderBuilder());
Bytes Concat(std::initializer_list<Bytes> parts);

// A temporary folder that is removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Write(const std::string& name, const Bytes& bytes) const;
  // A file of `size` bytes that are zero except where `pieces` are written;
  // the file system stores the rest as holes.
  std::string WriteSparse(const std::string& name, std::uint64_t size,
                          std::initializer_list<std::pair<std::uint64_t, Bytes>> pieces) const;
  std::string Path(const std::string& name) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace vantrel::testing
