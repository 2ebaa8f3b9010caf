#include "package_builder.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace vantrel::testing {

Bytes BigEndian(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

HeaderBuilder& HeaderBuilder::Entry(std::uint32_t tag, std::uint32_t type, std::uint32_t offset,
                                    std::uint32_t count) {
  entries_.insert(entries_.end(), {tag, type, offset, count});
  return *this;
}

HeaderBuilder& HeaderBuilder::Add(std::uint32_t tag, std::uint32_t type, std::uint32_t count, const Bytes& value) {
  Entry(tag, type, static_cast<std::uint32_t>(store_.size()), count);
  store_.insert(store_.end(), value.begin(), value.end());
  return *this;
}

HeaderBuilder& HeaderBuilder::String(std::uint32_t tag, std::string_view text) {
  Bytes value = Text(text);
  value.push_back(0);
  return Add(tag, 6, 1, value);
}

HeaderBuilder& HeaderBuilder::Int32(std::uint32_t tag, std::uint32_t value) {
  while (store_.size() % 4 != 0) store_.push_back(0);
  return Add(tag, 4, 1, BigEndian(value));
}

HeaderBuilder& HeaderBuilder::StringArray(std::uint32_t tag, std::initializer_list<std::string_view> items,
                                          std::uint32_t type) {
  Bytes value;
  for (const std::string_view item : items) {
    value.insert(value.end(), item.begin(), item.end());
    value.push_back(0);
  }
  return Add(tag, type, static_cast<std::uint32_t>(items.size()), value);
}

HeaderBuilder& HeaderBuilder::IntroCount(std::uint32_t count) {
  introCount_ = count;
  return *this;
}

HeaderBuilder& HeaderBuilder::IntroStoreSize(std::uint32_t size) {
  introStoreSize_ = size;
  return *this;
}

Bytes HeaderBuilder::Intro() const {
  const auto count = introCount_ >= 0 ? static_cast<std::uint32_t>(introCount_)
                                      : static_cast<std::uint32_t>(entries_.size() / 4);
  const auto size = introStoreSize_ >= 0 ? static_cast<std::uint32_t>(introStoreSize_)
                                         : static_cast<std::uint32_t>(store_.size());
  return Concat({{0x8E, 0xAD, 0xE8, 0x01, 0, 0, 0, 0}, BigEndian(count), BigEndian(size)});
}

Bytes HeaderBuilder::Index() const {
  Bytes index;
  for (const std::uint32_t number : entries_) {
    const Bytes bytes = BigEndian(number);
    index.insert(index.end(), bytes.begin(), bytes.end());
  }
  return index;
}

Bytes HeaderBuilder::Build() const { return Concat({Intro(), Index(), store_}); }

Bytes Lead() {
  Bytes lead(96, 0);
  lead[0] = 0xED, lead[1] = 0xAB, lead[2] = 0xEE, lead[3] = 0xDB, lead[4] = 3;
  return lead;
}

Bytes Package(const HeaderBuilder& main, const HeaderBuilder& signature) {
  Bytes bytes = Concat({Lead(), signature.Build()});
  while (bytes.size() % 8 != 0) bytes.push_back(0);
  return Concat({bytes, main.Build()});
}

TempFolder::TempFolder() {
  std::random_device random;
  folder_ = std::filesystem::temp_directory_path() / ("vantrel-test-" + std::to_string(random()));
  std::filesystem::create_directories(folder_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string TempFolder::Path(const std::string& name) const { return (folder_ / name).string(); }

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = Path(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string TempFolder::WriteSparse(const std::string& name, std::uint64_t size,
                                    std::initializer_list<std::pair<std::uint64_t, Bytes>> pieces) const {
  const std::string path = Write(name, {});
  std::filesystem::resize_file(path, size);
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const auto& [offset, bytes] : pieces) {
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace vantrel::testing
