#include "platform/file_access.h"

#include <windows.h>

namespace vantrel::platform {

ReadOnlyFile::~ReadOnlyFile() { Close(); }

bool ReadOnlyFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

std::uint32_t ReadOnlyFile::Open(const char* path) {
  Close();
  ++PlatformCalls().opens;
  handle_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen() ? 0 : GetLastError();
}

std::uint32_t ReadOnlyFile::Seek(std::int32_t position) {
  SetLastError(NO_ERROR);
  // No high part: the distance is a signed 32-bit number, so a negative
  // position is refused (ERROR_NEGATIVE_SEEK).
  ++PlatformCalls().positionings;
  if (SetFilePointer(handle_, position, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    const DWORD error = GetLastError();
    if (error != NO_ERROR) return error;
  }
  return 0;
}

std::uint32_t ReadOnlyFile::Tell(std::int64_t& position) {
  LONG high = 0;
  SetLastError(NO_ERROR);
  ++PlatformCalls().positionings;
  const DWORD low = SetFilePointer(handle_, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return GetLastError();
  position = (static_cast<std::int64_t>(high) << 32) | low;
  return 0;
}

std::uint32_t ReadOnlyFile::Size(std::int64_t& size) {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  ++PlatformCalls().sizeQueries;
  const DWORD low = GetFileSize(handle_, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return GetLastError();
  size = (static_cast<std::int64_t>(high) << 32) | low;
  return 0;
}

std::uint32_t ReadOnlyFile::Read(void* buffer, std::uint32_t count, std::uint32_t& got) {
  DWORD done = 0;
  got = 0;
  ++PlatformCalls().reads;
  if (!ReadFile(handle_, buffer, count, &done, nullptr)) return GetLastError();
  got = done;
  return 0;
}

std::uint32_t ReadOnlyFile::Close() {
  if (!IsOpen()) return 0;
  ++PlatformCalls().closes;
  const BOOL closed = CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return closed ? 0 : GetLastError();
}

}  // namespace vantrel::platform
