// The package reader's view of its file: an open file with a current position,
// positions being 32-bit signed byte offsets. Every failure raises IoFailure.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/file_access.h"

namespace vantrel {

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

}  // namespace vantrel
