#include "platform/file_access.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform {
namespace {

// The Windows codes that the reader has messages for; any other errno stays itself.
std::uint32_t ErrorCode(int error) {
  switch (error) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM: return 5;
    default: return static_cast<std::uint32_t>(error);
  }
}

// ENOENT means either the file or a folder on its path is missing: tell them apart.
std::uint32_t OpenErrorCode(const char* path, int error) {
  if (error != ENOENT) return ErrorCode(error);
  const char* slash = nullptr;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '/') slash = p;
  if (slash == nullptr || slash == path) return 2;
  const std::string folder(path, static_cast<std::size_t>(slash - path));
  return ::access(folder.c_str(), F_OK) == 0 ? 2 : 3;
}

}  // namespace

ReadOnlyFile::~ReadOnlyFile() { Close(); }

bool ReadOnlyFile::IsOpen() const { return fd_ >= 0; }

std::uint32_t ReadOnlyFile::Open(const char* path) {
  Close();
  ++PlatformCalls().opens;
  fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
  return IsOpen() ? 0 : OpenErrorCode(path, errno);
}

std::uint32_t ReadOnlyFile::Seek(std::int32_t position) {
  ++PlatformCalls().positionings;
  return ::lseek(fd_, position, SEEK_SET) < 0 ? ErrorCode(errno) : 0;
}

std::uint32_t ReadOnlyFile::Tell(std::int64_t& position) {
  ++PlatformCalls().positionings;
  const off_t here = ::lseek(fd_, 0, SEEK_CUR);
  if (here < 0) return ErrorCode(errno);
  position = here;
  return 0;
}

std::uint32_t ReadOnlyFile::Size(std::int64_t& size) {
  ++PlatformCalls().sizeQueries;
  struct stat status {};
  if (::fstat(fd_, &status) != 0) return ErrorCode(errno);
  size = status.st_size;
  return 0;
}

std::uint32_t ReadOnlyFile::Read(void* buffer, std::uint32_t count, std::uint32_t& got) {
  got = 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (got < count) {
    ++PlatformCalls().reads;
    const ssize_t done = ::read(fd_, bytes + got, count - got);
    if (done < 0) {
      if (errno == EINTR) continue;
      return ErrorCode(errno);
    }
    if (done == 0) break;
    got += static_cast<std::uint32_t>(done);
  }
  return 0;
}

std::uint32_t ReadOnlyFile::Close() {
  if (!IsOpen()) return 0;
  ++PlatformCalls().closes;
  const int closed = ::close(fd_);
  fd_ = -1;
  return closed == 0 ? 0 : ErrorCode(errno);
}

}  // namespace vantrel::platform
