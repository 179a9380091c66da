#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/exceptions.h"
#include "runtime/text_file_append.h"

namespace parvex {
namespace {

[[noreturn]] void Fail(const std::string& fileName, int error) {
  throw Exception(AppendFailureMessage(fileName, std::string(std::strerror(error)) + "."));
}

}  // namespace

void AppendToTextFile(const std::string& fileName, std::string_view bytes) {
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) Fail(fileName, errno);
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      ::close(fd);
      Fail(fileName, error);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  if (::close(fd) != 0) Fail(fileName, errno);
}

}  // namespace parvex
