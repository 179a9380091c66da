#pragma once
// Byte streams in the run-time library's manner: an abstract TStream with
// Read/Write/Seek, an in-memory stream and a file stream over <cstdio>.
// Positions and sizes are 64-bit; reading past the end returns fewer bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/exceptions.h"

namespace parvex {

// Raised by ReadBuffer/WriteBuffer when a stream moves fewer bytes than asked.
class EReadError : public Exception {
 public:
  using Exception::Exception;
};
class EWriteError : public Exception {
 public:
  using Exception::Exception;
};
// Raised when a file stream cannot create or open its file.
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
};
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;

  // Returns the number of bytes actually read (0 at the end).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Returns the number of bytes actually written.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(std::int64_t newSize) = 0;
  virtual std::int64_t Size();
  // Hands what the stream buffers to its store; raises EWriteError when the store
  // refuses it (a full disk shows only here, when the buffer is written).
  virtual void Flush() {}

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }

  // All-or-nothing forms: raise EReadError "Stream read error" /
  // EWriteError "Stream write error" on a short transfer.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
  void WriteString(const std::string& text) { WriteBuffer(text.data(), text.size()); }

  // Copies count bytes from source's current position; 0 copies the whole
  // source from its start. Returns the bytes copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);

  // Reads one text line from the current position: the line ends at CR LF,
  // LF or CR, which is consumed but not returned. False at the end of the stream.
  bool ReadLine(std::string& line);
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

  void Clear();
  const char* Memory() const { return data_.data(); }
  // The whole contents as a string (independent of the position).
  std::string AsString() const { return std::string(data_.begin(), data_.end()); }

  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& target) const;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

 private:
  std::vector<char> data_;
  std::size_t position_ = 0;
};

// File open modes; fmCreate creates or truncates the file for reading and writing.
enum TFileMode : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmCreate = 0xFFFF,
};

class TFileStream : public TStream {
 public:
  TFileStream(const std::string& fileName, unsigned mode);
  virtual ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  std::int64_t Size() override;
  void Flush() override;

  const std::string& FileName() const { return fileName_; }
  // The start of the EWriteError text for a failed write or flush; the system's
  // reason follows. By default "Cannot write file "<name>"".
  void SetWriteFailureText(std::string text) { writeFailureText_ = std::move(text); }
  // The same for a failed read (EReadError); by default "Cannot read file "<name>"".
  void SetReadFailureText(std::string text) { readFailureText_ = std::move(text); }
  // A larger buffer for a file read and written in big runs; only before the
  // first read or write.
  void SetBufferSize(std::size_t bytes);
  // Closes the file early (a derived class may delete it afterwards); any
  // later Read/Write moves nothing. Safe to call twice.
  void Close();

 private:
  void Prepare(bool forWrite);
  [[noreturn]] void RaiseWriteFailure(int error) const;

  std::string fileName_;
  std::string writeFailureText_;
  std::string readFailureText_;
  std::FILE* file_ = nullptr;
  bool writable_ = false;
  bool readable_ = false;
  bool lastWasWrite_ = false;
};

}  // namespace parvex
