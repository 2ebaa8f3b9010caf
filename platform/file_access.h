// The platform's file interface, as the package reader needs it: open an
// existing file read-only, position, tell, size, read, close. Every operation
// answers 0 on success or an error code: on Windows the code that
// GetLastError gives, on POSIX errno mapped to the Windows codes that the
// reader's messages know (2, 3, 4, 5), other errno values unchanged.
#pragma once

#include <cstdint>

namespace vantrel::platform {

// How often each kind of platform call was made, for measurements.
struct CallCounts {
  std::uint64_t opens = 0, reads = 0, positionings = 0, sizeQueries = 0, closes = 0;
  std::uint64_t Total() const { return opens + reads + positionings + sizeQueries + closes; }
};
CallCounts& PlatformCalls();

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();

  // Opens an existing file for reading; others may go on reading and writing it.
  std::uint32_t Open(const char* path);
  bool IsOpen() const;
  // Moves to an absolute position; a negative one is refused by the platform.
  std::uint32_t Seek(std::int32_t position);
  std::uint32_t Tell(std::int64_t& position);
  std::uint32_t Size(std::int64_t& size);
  // Reads up to `count` bytes at the current position; `got` is fewer at the end.
  std::uint32_t Read(void* buffer, std::uint32_t count, std::uint32_t& got);
  std::uint32_t Close();

 private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
  int fd_ = -1;
#endif
};

}  // namespace vantrel::platform
