#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "net/temp_file_stream.h"

namespace parvex {

std::string CreateTempFileName(const std::string& prefix) {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + prefix + "XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0) throw EFCreateError("Cannot create a temporary file in " + pattern + ". " + std::strerror(errno));
  close(fd);
  return pattern;
}

void DeleteTempFile(const std::string& fileName) { unlink(fileName.c_str()); }

}  // namespace parvex
