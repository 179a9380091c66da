#pragma once
// TTempFileStream: a new, uniquely named file with the prefix "mx" in the user's
// temporary folder, open for reading and writing; deleted when destroyed.
#include <string>

#include "runtime/streams.h"

namespace parvex {

class TTempFileStream : public TFileStream {
 public:
  TTempFileStream();
  ~TTempFileStream() override;

 private:
  explicit TTempFileStream(const std::string& fileName);
};

// Platform seams: create an empty unique file and give its name; delete a file,
// ignoring failure.
std::string CreateTempFileName(const std::string& prefix);
void DeleteTempFile(const std::string& fileName);

}  // namespace parvex
