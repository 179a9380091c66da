#include "net/temp_file_stream.h"

namespace parvex {

TTempFileStream::TTempFileStream() : TTempFileStream(CreateTempFileName("mx")) {}

TTempFileStream::TTempFileStream(const std::string& fileName) try : TFileStream(fileName, fmCreate) {
  SetWriteFailureText("Could not write the mail's temporary file");
  SetReadFailureText("Could not read the mail's temporary file");
  // A mail goes through this file whole, written once and read once: under
  // Wine every refill of the C library's 4 KB buffer is a system call.
  SetBufferSize(64 * 1024);
} catch (...) {
  // The empty file was already created; do not leave it behind.
  DeleteTempFile(fileName);
}

TTempFileStream::~TTempFileStream() {
  // The file must be closed before Windows lets it go.
  Close();
  DeleteTempFile(FileName());
}

}  // namespace parvex
