#pragma once
// File attachments: the file's bytes, its path, content type and the transfer
// encoding used when it is written.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/streams.h"

namespace parvex {

class FileTypeRegistry;

// AttEncoding values.
inline constexpr std::uint8_t kAttSevenBit = 0;
inline constexpr std::uint8_t kAttBase64 = 1;
inline constexpr std::uint8_t kAttQuotedPrintable = 2;

class TmxAttItem {
 public:
  TmxAttItem() = default;
  TmxAttItem(const TmxAttItem&) = delete;
  TmxAttItem& operator=(const TmxAttItem&) = delete;

  TMemoryStream& Data() { return data_; }
  const TMemoryStream& Data() const { return data_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& ContentType() const { return contentType_; }
  std::uint8_t AttEncoding() const { return attEncoding_; }

  // Stores the path and, when it is not empty, takes the content type from
  // the file's extension and the encoding from the content type. Does not
  // load Data.
  void SetFileName(std::string_view path);
  void SetFileName(std::string_view path, const FileTypeRegistry& registry);
  void SetContentType(std::string_view contentType);  // cut to 255
  void SetAttEncoding(std::uint8_t encoding) { attEncoding_ = encoding; }

  // Loads Data from FileName.
  void LoadData();
  void Assign(const TmxAttItem& source);

 private:
  TMemoryStream data_;
  std::string fileName_;
  std::string contentType_;
  std::uint8_t attEncoding_ = kAttSevenBit;
};

// The transfer encoding that suits a content type.
std::uint8_t AttEncodingForContentType(std::string_view contentType);

class TmxAttList {
 public:
  TmxAttList() = default;
  TmxAttList(const TmxAttList&) = delete;
  TmxAttList& operator=(const TmxAttList&) = delete;

  std::size_t Count() const { return items_.size(); }
  TmxAttItem& Items(std::size_t index);  // ERangeError past the end
  const TmxAttItem& Items(std::size_t index) const;
  TmxAttItem& operator[](std::size_t index) { return Items(index); }
  const TmxAttItem& operator[](std::size_t index) const { return Items(index); }

  TmxAttItem& Add(std::unique_ptr<TmxAttItem> item);
  // Appends a new empty item.
  TmxAttItem& Add();
  void Clear();
  // Copies every item of the source (its Data included).
  void Assign(const TmxAttList& source);

 private:
  std::vector<std::unique_ptr<TmxAttItem>> items_;
};

}  // namespace parvex
