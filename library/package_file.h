// The package reader's view of its file: an open file with a current position,
// positions being 32-bit signed byte offsets. Every failure raises IoFailure.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_access.h"

namespace vantrel {

// Appends as much of `piece` as keeps `text` within `limit` bytes.
inline void AppendWithin(std::string& text, std::string_view piece, std::size_t limit) {
  text.append(piece.substr(0, limit - std::min(limit, text.size())));
}

class PackageFile {
 public:
  virtual ~PackageFile() = default;
  // Opens an existing file read-only; a failure carries the platform's code.
  virtual void Open(const char* path) = 0;
  virtual bool IsOpen() const = 0;
  // A position at or beyond the end is no failure; a negative one is.
  virtual void Seek(std::int32_t position) = 0;
  virtual std::int64_t Size() = 0;
  // True when the current position is at or beyond the file's size.
  virtual bool AtEnd() = 0;
  // Reads exactly `count` bytes; fewer is "Read beyond end of file".
  virtual void Read(void* buffer, std::uint32_t count) = 0;
  // Closes the file; a failed close raises code 1, the file counts as closed.
  virtual void Close() = 0;
  // The first position in [first, last] at which `magic` begins, or -1. The
  // caller makes sure that 16 bytes can be read at every such position. By
  // default one positioning and one 16-byte read for each position.
  virtual std::int64_t FindMagic(std::span<const std::uint8_t> magic, std::int64_t first, std::int64_t last);
  // Consumes the bytes up to the next zero byte or the end of the file and
  // appends them (not the zero) while `text` is shorter than `limit`. A string
  // that begins at or beyond the end fails. By default one read and one
  // end-of-file test for each byte.
  virtual void ReadZeroTerminated(std::string& text, std::size_t limit);
};

// Every operation goes straight to the platform.
class DirectFile final : public PackageFile {
 public:
  void Open(const char* path) override;
  bool IsOpen() const override { return file_.IsOpen(); }
  void Seek(std::int32_t position) override;
  std::int64_t Size() override;
  bool AtEnd() override;
  void Read(void* buffer, std::uint32_t count) override;
  void Close() override;

 private:
  void RequireOpen() const;
  platform::ReadOnlyFile file_;
};

// Serves positioning, reads, position and size queries from one fixed
// buffer, and goes to the platform only to fill it. Outcomes are those of
// DirectFile: the same data, the same failures with the same codes.
class BufferedFile final : public PackageFile {
 public:
  static constexpr std::uint32_t kBufferSize = 256 * 1024;

  explicit BufferedFile(std::uint32_t bufferSize = kBufferSize);
  void Open(const char* path) override;
  bool IsOpen() const override { return file_.IsOpen(); }
  void Seek(std::int32_t position) override;
  std::int64_t Size() override;
  bool AtEnd() override { return position_ >= (size_ >= 0 ? size_ : Size()); }
  void Read(void* buffer, std::uint32_t count) override;
  void Close() override;
  std::int64_t FindMagic(std::span<const std::uint8_t> magic, std::int64_t first, std::int64_t last) override;
  void ReadZeroTerminated(std::string& text, std::size_t limit) override;

 private:
  void RequireOpen() const;
  // Makes the buffer start at `position_`; false when nothing is left there.
  bool Fill();
  // Fills unless `position_` lies in the buffer; nothing left to read there fails.
  void FillUnlessBuffered();
  // Keeps the bytes from `position_` to the buffer's end and fills the rest behind them.
  bool FillKeepingTail();
  bool Buffered() const { return position_ >= bufferStart_ && position_ < bufferStart_ + bufferLength_; }

  platform::ReadOnlyFile file_;
  std::uint32_t bufferSize_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::int64_t bufferStart_ = 0;
  std::int64_t bufferLength_ = 0;
  std::int64_t position_ = 0;          // where the reader stands
  std::int64_t platformPosition_ = 0;  // where the platform's file pointer stands
  std::int64_t size_ = -1;             // -1: not asked yet
};

}  // namespace vantrel
