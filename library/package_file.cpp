#include "library/package_file.h"

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

}  // namespace vantrel
