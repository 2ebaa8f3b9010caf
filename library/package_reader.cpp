#include "library/package_reader.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "library/failures.h"

namespace vantrel {
namespace {

constexpr std::array<std::uint8_t, 4> kLeadMagic = {0xED, 0xAB, 0xEE, 0xDB};
constexpr std::array<std::uint8_t, 3> kHeaderMagic = {0x8E, 0xAD, 0xE8};
constexpr std::int32_t kLeadSize = 96;
constexpr std::uint32_t kIntroSize = 16;
constexpr std::uint32_t kEntrySize = 16;

// Windows' code for a path too long for the path field.
constexpr std::uint32_t kFilenameTooLong = 206;
// Windows' code for a path that names nothing.
constexpr std::uint32_t kPathNotFound = 3;

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
  std::uint32_t stored = 0;
  std::memcpy(&stored, bytes, sizeof stored);
  if constexpr (std::endian::native == std::endian::little) return SwapEndian32(stored);
  return stored;
}

bool HasHeaderMagic(const std::array<std::uint8_t, 16>& intro) {
  return std::equal(kHeaderMagic.begin(), kHeaderMagic.end(), intro.begin());
}

// Positions derived from the package's numbers wrap modulo 2^32 and are
// read as signed 32-bit offsets; the platform refuses the negative ones.
std::int32_t Position(std::uint32_t offset) { return static_cast<std::int32_t>(offset); }

}  // namespace

PackageReader::PackageReader(std::unique_ptr<PackageFile> file) : file_(std::move(file)) {}

bool PackageReader::OpenPackage(std::string_view path) {
  isOpen_ = false;
  path_.fill('\0');
  if (path.empty()) throw IoFailure(kPathNotFound);
  // A longer path would not fit the path field, and a cut one could name another file.
  if (path.size() >= kPathFieldSize) throw IoFailure(kFilenameTooLong);
  std::copy(path.begin(), path.end(), path_.begin());
  file_->Open(path_.data());
  isOpen_ = true;
  return true;
}

void PackageReader::ClosePackage() {
  if (!isOpen_) return;
  isOpen_ = false;
  file_->Close();
}

bool PackageReader::CheckLead() {
  leadBuffer_.fill(0);
  file_->Seek(0);
  // A file of no more than the lead's size is no package, whatever it holds.
  if (file_->Size() > kLeadSize) file_->Read(leadBuffer_.data(), kLeadSize);
  return std::equal(kLeadMagic.begin(), kLeadMagic.end(), leadBuffer_.begin());
}

bool PackageReader::ReadIntro(std::int32_t position, std::array<std::uint8_t, 16>& intro) {
  file_->Seek(position);
  file_->Read(intro.data(), kIntroSize);
  return HasHeaderMagic(intro);
}

// The search goes on one byte at a time and stops at the first probe that
// finds the magic or reads the file's last 16 bytes. This finds that probe
// without reading 16 bytes for every byte passed over; a probe that would fail
// (beyond the end, or at a position past 2^31 - 1 that wraps negative) is
// returned as it is, so that it fails as the byte-by-byte search would.
std::uint32_t PackageReader::NextProbe(std::uint32_t first) {
  const std::int64_t last = file_->Size() - kIntroSize;
  if (first > static_cast<std::uint32_t>(INT32_MAX) || first > last) return first;
  const std::int64_t searchEnd = std::min<std::int64_t>(last, INT32_MAX);
  const std::int64_t hit = file_->FindMagic(kHeaderMagic, first, searchEnd);
  if (hit >= 0) return static_cast<std::uint32_t>(hit);
  return searchEnd == last ? static_cast<std::uint32_t>(last) : 0x80000000u;
}

bool PackageReader::LocateHeader() {
  signatureIntro_.fill(0);
  if (!ReadIntro(kLeadSize, signatureIntro_)) return false;
  // The main header follows the signature's index and store; padding up to
  // the next multiple of 8 is passed over by searching for the magic.
  const std::uint32_t signatureEntries = BigEndian32(&signatureIntro_[8]);
  const std::uint32_t signatureStore = BigEndian32(&signatureIntro_[12]);
  std::uint32_t probe = kLeadSize + kIntroSize + kEntrySize * signatureEntries + signatureStore;
  bool found = ReadIntro(Position(probe), headerIntro_);
  if (!found) {
    probe = NextProbe(probe + 1);
    found = ReadIntro(Position(probe), headerIntro_);
  }
  indexStart_ = entryCount_ = storeBase_ = 0;
  if (file_->AtEnd()) return true;  // no main header, or one with nothing behind its intro
  const std::uint32_t entries = BigEndian32(&headerIntro_[8]);
  indexStart_ = Position(probe + kIntroSize);
  storeBase_ = Position(probe + kIntroSize + kEntrySize * entries);
  entryCount_ = Position(entries);
  return true;
}

bool PackageReader::FindEntry(std::int32_t tag, Entry& entry) {
  file_->Seek(indexStart_);
  std::array<std::uint8_t, kEntrySize> bytes{};
  for (std::int32_t i = 0; i < entryCount_; ++i) {
    if (file_->AtEnd()) return false;  // an index cut off between two entries
    file_->Read(bytes.data(), kEntrySize);
    if (Position(BigEndian32(&bytes[0])) != tag) continue;
    entry = {BigEndian32(&bytes[0]), BigEndian32(&bytes[4]), BigEndian32(&bytes[8]), BigEndian32(&bytes[12])};
    return true;
  }
  return false;
}

std::uint32_t PackageReader::ReadNumber() {
  std::array<std::uint8_t, 4> bytes{};
  file_->Read(bytes.data(), bytes.size());
  return BigEndian32(bytes.data());
}

std::string PackageReader::ReadTagText(std::int32_t tag, std::size_t limit) {
  Entry entry{};
  if (!FindEntry(tag, entry)) return {};
  // Positioned for every type, rendered or not: a negative position fails here.
  file_->Seek(Position(static_cast<std::uint32_t>(storeBase_) + entry.offset));
  switch (entry.type) {
    case kTypeInt8: {
      std::int8_t value = 0;
      file_->Read(&value, 1);
      return std::to_string(value);
    }
    case kTypeInt32:
      // RPM's INT32 is unsigned: sizes above 2 GiB and times after 2038 stay right.
      return std::to_string(ReadNumber());
    case kTypeInt64: {  // unsigned, as rpm prints it
      std::array<std::uint8_t, 8> bytes{};
      file_->Read(bytes.data(), bytes.size());
      std::uint64_t value = 0;
      for (const std::uint8_t byte : bytes) value = value << 8 | byte;
      return std::to_string(value);
    }
    case kTypeString:
    case kTypeI18nString:
      return ReadZeroTerminated(limit);
    case kTypeStringArray: {
      // Every element costs at least one byte of the file, so a huge count
      // ends at the end of the file.
      std::string text;
      for (std::int32_t i = 0; i < Position(entry.count); ++i) {
        file_->ReadZeroTerminated(text, limit);
        AppendWithin(text, ", ", limit);
      }
      return text;
    }
    default:
      return {};
  }
}

std::string PackageReader::ReadZeroTerminated(std::size_t limit) {
  std::string text;
  file_->ReadZeroTerminated(text, limit);
  return text;
}

}  // namespace vantrel
