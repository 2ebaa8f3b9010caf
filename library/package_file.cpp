#include "library/package_file.h"

#include <algorithm>
#include <cstring>

#include "library/failures.h"

namespace vantrel {
namespace {

void Check(std::uint32_t error) {
  if (error != 0) throw IoFailure(error);
}

}  // namespace

void DirectFile::RequireOpen() const {
  if (!file_.IsOpen()) throw IoFailure(kFileNotOpen);
}

void DirectFile::Open(const char* path) { Check(file_.Open(path)); }

void DirectFile::Seek(std::int32_t position) {
  RequireOpen();
  Check(file_.Seek(position));
}

std::int64_t DirectFile::Size() {
  RequireOpen();
  std::int64_t size = 0;
  Check(file_.Size(size));
  return size;
}

bool DirectFile::AtEnd() {
  RequireOpen();
  std::int64_t position = 0;
  Check(file_.Tell(position));
  return position >= Size();
}

void DirectFile::Read(void* buffer, std::uint32_t count) {
  RequireOpen();
  std::uint32_t got = 0;
  Check(file_.Read(buffer, count, got));
  if (got < count) throw IoFailure(kReadBeyondEnd);
}

void DirectFile::Close() {
  if (file_.Close() != 0) throw IoFailure(kCloseFailed);
}

std::int64_t PackageFile::FindMagic(std::span<const std::uint8_t> magic, std::int64_t first, std::int64_t last) {
  std::uint8_t probe[16];
  for (std::int64_t position = first; position <= last; ++position) {
    Seek(static_cast<std::int32_t>(position));
    Read(probe, sizeof probe);
    if (std::equal(magic.begin(), magic.end(), probe)) return position;
  }
  return -1;
}

void PackageFile::ReadZeroTerminated(std::string& text, std::size_t limit) {
  for (;;) {
    char byte = 0;
    Read(&byte, 1);
    if (byte == '\0') return;
    AppendWithin(text, {&byte, 1}, limit);
    if (AtEnd()) return;
  }
}

void BufferedFile::ReadZeroTerminated(std::string& text, std::size_t limit) {
  RequireOpen();
  do {
    FillUnlessBuffered();
    const std::uint8_t* start = buffer_.get() + (position_ - bufferStart_);
    const auto available = static_cast<std::size_t>(bufferStart_ + bufferLength_ - position_);
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(start, 0, available));
    const std::size_t length = zero ? static_cast<std::size_t>(zero - start) : available;
    AppendWithin(text, {reinterpret_cast<const char*>(start), length}, limit);
    position_ += static_cast<std::int64_t>(length);
    if (zero) {
      ++position_;
      return;
    }
  } while (!AtEnd());
}

BufferedFile::BufferedFile(std::uint32_t bufferSize)
    : bufferSize_(bufferSize), buffer_(std::make_unique<std::uint8_t[]>(bufferSize)) {}

void BufferedFile::RequireOpen() const {
  if (!file_.IsOpen()) throw IoFailure(kFileNotOpen);
}

void BufferedFile::Open(const char* path) {
  Check(file_.Open(path));
  bufferStart_ = bufferLength_ = position_ = platformPosition_ = 0;
  size_ = -1;
}

void BufferedFile::Seek(std::int32_t position) {
  RequireOpen();
  // The platform alone knows its code for a refused position.
  if (position < 0) Check(file_.Seek(position));
  position_ = position;
}

std::int64_t BufferedFile::Size() {
  RequireOpen();
  if (size_ < 0) Check(file_.Size(size_));
  return size_;
}

bool BufferedFile::Fill() {
  if (platformPosition_ != position_) {
    // Only a Seek or a search moves away from where the last fill ended, and
    // both stay below 2^31; reading on from a fill needs no positioning.
    Check(file_.Seek(static_cast<std::int32_t>(position_)));
    platformPosition_ = position_;
  }
  std::uint32_t got = 0;
  Check(file_.Read(buffer_.get(), bufferSize_, got));
  platformPosition_ += got;
  bufferStart_ = position_;
  bufferLength_ = got;
  return got > 0;
}

void BufferedFile::FillUnlessBuffered() {
  if (!Buffered() && !Fill()) throw IoFailure(kReadBeyondEnd);
}

bool BufferedFile::FillKeepingTail() {
  const std::int64_t bufferEnd = bufferStart_ + bufferLength_;
  const auto keep = static_cast<std::uint32_t>(bufferEnd - position_);
  std::memmove(buffer_.get(), buffer_.get() + (position_ - bufferStart_), keep);
  bufferStart_ = position_;
  bufferLength_ = keep;
  if (platformPosition_ != bufferEnd) {
    Check(file_.Seek(static_cast<std::int32_t>(bufferEnd)));
    platformPosition_ = bufferEnd;
  }
  std::uint32_t got = 0;
  Check(file_.Read(buffer_.get() + keep, bufferSize_ - keep, got));
  platformPosition_ += got;
  bufferLength_ += got;
  return got > 0;
}

void BufferedFile::Read(void* buffer, std::uint32_t count) {
  RequireOpen();
  if (position_ >= bufferStart_ && position_ + count <= bufferStart_ + bufferLength_) {  // the common case
    std::memcpy(buffer, buffer_.get() + (position_ - bufferStart_), count);
    position_ += count;
    return;
  }
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    FillUnlessBuffered();
    const auto offset = static_cast<std::size_t>(position_ - bufferStart_);
    const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(count, bufferLength_ - static_cast<std::int64_t>(offset)));
    std::memcpy(out, buffer_.get() + offset, n);
    out += n, count -= n, position_ += n;
  }
}

std::int64_t BufferedFile::FindMagic(std::span<const std::uint8_t> magic, std::int64_t first, std::int64_t last) {
  RequireOpen();
  position_ = first;
  while (position_ <= last) {
    FillUnlessBuffered();
    const std::uint8_t* start = buffer_.get() + (position_ - bufferStart_);
    const std::int64_t inBuffer = bufferStart_ + bufferLength_ - position_;
    // Only candidates whose whole magic lies in the buffer; the rest after a fill.
    const std::int64_t candidates = std::min(inBuffer - static_cast<std::int64_t>(magic.size()) + 1, last - position_ + 1);
    if (candidates <= 0) {
      // The buffer ends within a candidate: keep its tail and read on behind it.
      if (!FillKeepingTail()) throw IoFailure(kReadBeyondEnd);  // the file has shrunk
      continue;
    }
    const std::uint8_t* end = start + candidates;
    for (const std::uint8_t* at = start; (at = static_cast<const std::uint8_t*>(std::memchr(at, magic[0], static_cast<std::size_t>(end - at))));
         ++at) {
      if (std::memcmp(at, magic.data(), magic.size()) == 0) return position_ + (at - start);
    }
    position_ += candidates;
  }
  return -1;
}

void BufferedFile::Close() {
  bufferLength_ = 0;
  if (file_.Close() != 0) throw IoFailure(kCloseFailed);
}

}  // namespace vantrel
