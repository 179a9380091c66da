#include "runtime/streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace parvex {

namespace {

constexpr std::size_t kCopyChunk = 64 * 1024;

std::string ReasonText(int error) {
  const char* text = std::strerror(error);
  return text && *text ? std::string(". ") + text : std::string();
}

int SeekFile(std::FILE* f, std::int64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(f, offset, whence);
#else
  return fseeko(f, static_cast<off_t>(offset), whence);
#endif
}

// Sets the open file's length; 0 or the errno value. On the open file rather than
// by name: std::filesystem would bring the whole locale machinery into the program.
int ResizeFile(std::FILE* f, std::int64_t size) {
#ifdef _WIN32
  return _chsize_s(_fileno(f), size);
#else
  return ftruncate(fileno(f), static_cast<off_t>(size)) == 0 ? 0 : errno;
#endif
}

std::int64_t TellFile(std::FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return static_cast<std::int64_t>(ftello(f));
#endif
}

}  // namespace

// ---------------------------------------------------------------- TStream

std::int64_t TStream::Size() {
  const std::int64_t here = Seek(0, soCurrent);
  const std::int64_t end = Seek(0, soEnd);
  Seek(here, soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<char> buffer(kCopyChunk);
  std::int64_t left = count;
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(left, kCopyChunk));
    source.ReadBuffer(buffer.data(), want);
    WriteBuffer(buffer.data(), want);
    left -= static_cast<std::int64_t>(want);
  }
  return count;
}

bool TStream::ReadLine(std::string& line) {
  line.clear();
  char c = 0;
  if (Read(&c, 1) != 1) return false;
  for (;;) {
    if (c == '\n') return true;
    if (c == '\r') {
      // A CR LF pair is one line end; a lone CR ends the line as well.
      if (Read(&c, 1) == 1 && c != '\n') Seek(-1, soCurrent);
      return true;
    }
    line.push_back(c);
    if (Read(&c, 1) != 1) return true;
  }
}

// ----------------------------------------------------------- TMemoryStream

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= data_.size() || count == 0) return 0;
  const std::size_t n = std::min(count, data_.size() - position_);
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const std::size_t end = position_ + count;
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + position_, buffer, count);
  position_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == soCurrent) base = static_cast<std::int64_t>(position_);
  if (origin == soEnd) base = static_cast<std::int64_t>(data_.size());
  const std::int64_t target = base + offset;
  // Seeking before the start is refused; past the end is allowed (a later
  // write fills the gap with zero bytes), as for files.
  if (target < 0) throw ERangeError();
  position_ = static_cast<std::size_t>(target);
  return target;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  if (newSize < 0) throw ERangeError();
  data_.resize(static_cast<std::size_t>(newSize));
  if (position_ > data_.size()) position_ = data_.size();
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const std::int64_t size = source.Size();
  std::vector<char> fresh(static_cast<std::size_t>(size));
  source.ReadBuffer(fresh.data(), fresh.size());
  data_.swap(fresh);
  position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& target) const { target.WriteBuffer(data_.data(), data_.size()); }

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

// ------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
  const char* how = "rb";
  bool creating = false;
  if (mode == fmCreate) {
    how = "w+b";
    creating = true;
    readable_ = writable_ = true;
  } else {
    switch (mode & 0x3) {
      case fmOpenWrite:
        how = "r+b";
        writable_ = true;
        break;
      case fmOpenReadWrite:
        how = "r+b";
        readable_ = writable_ = true;
        break;
      default: readable_ = true; break;
    }
  }
  errno = 0;
  file_ = std::fopen(fileName.c_str(), how);
  if (!file_) {
    const std::string reason = ReasonText(errno);
    if (creating) throw EFCreateError("Cannot create file \"" + fileName + "\"" + reason);
    throw EFOpenError("Cannot open file \"" + fileName + "\"" + reason);
  }
}

TFileStream::~TFileStream() { Close(); }

void TFileStream::SetBufferSize(std::size_t bytes) {
  if (file_) std::setvbuf(file_, nullptr, _IOFBF, bytes);
}

void TFileStream::Close() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

void TFileStream::Prepare(bool forWrite) {
  // C streams need a positioning call between a read and a write.
  if (forWrite != lastWasWrite_) {
    SeekFile(file_, 0, SEEK_CUR);
    lastWasWrite_ = forWrite;
  }
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  if (!file_ || !readable_ || count == 0) return 0;
  Prepare(false);
  errno = 0;
  const std::size_t read = std::fread(buffer, 1, count, file_);
  // A short read is the end only when no error made it short.
  if (read < count && std::ferror(file_)) {
    const int error = errno;
    std::clearerr(file_);
    const std::string start = readFailureText_.empty() ? "Cannot read file \"" + fileName_ + "\"" : readFailureText_;
    throw EReadError(start + (error != 0 ? ReasonText(error) : std::string(".")));
  }
  return read;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  if (!file_ || !writable_ || count == 0) return 0;
  Prepare(true);
  errno = 0;
  const std::size_t written = std::fwrite(buffer, 1, count, file_);
  if (written != count) RaiseWriteFailure(errno);
  return written;
}

void TFileStream::Flush() {
  if (!file_ || !writable_) return;
  errno = 0;
  if (std::fflush(file_) != 0) RaiseWriteFailure(errno);
}

void TFileStream::RaiseWriteFailure(int error) const {
  const std::string start = writeFailureText_.empty() ? "Cannot write file \"" + fileName_ + "\"" : writeFailureText_;
  throw EWriteError(start + (error != 0 ? ReasonText(error) : std::string(".")));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (!file_) return 0;
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (SeekFile(file_, offset, whence) != 0) throw ERangeError();
  lastWasWrite_ = false;
  return TellFile(file_);
}

std::int64_t TFileStream::Size() {
  if (!file_) return 0;
  Flush();  // a size taken before the data reached the file would cut the read short
  return TStream::Size();
}

void TFileStream::SetSize(std::int64_t newSize) {
  if (!file_ || newSize < 0) throw ERangeError();
  const std::int64_t here = Position();
  std::fflush(file_);
  if (const int error = ResizeFile(file_, newSize); error != 0)
    throw EWriteError("Cannot change the size of file \"" + fileName_ + "\"" + ReasonText(error));
  SetPosition(std::min(here, newSize));
}

}  // namespace parvex
