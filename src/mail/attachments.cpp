#include "mail/attachments.h"

#include "mail/file_types.h"
#include "mail/mail_text.h"
#include "mail/short_string.h"
#include "runtime/exceptions.h"

namespace parvex {

std::uint8_t AttEncodingForContentType(std::string_view contentType) {
  const std::string upper = UpperCase(contentType);
  if (upper == "TEXT/PLAIN" || upper == "TEXT/RTF" || upper == "TEXT/HTML") return kAttQuotedPrintable;
  if (upper == "MESSAGE/RFC822") return kAttSevenBit;
  return kAttBase64;
}

void TmxAttItem::SetFileName(std::string_view path) { SetFileName(path, SystemFileTypes()); }

void TmxAttItem::SetFileName(std::string_view path, const FileTypeRegistry& registry) {
  fileName_ = ShortString(path);
  if (fileName_.empty()) return;
  SetContentType(ContentTypeForFile(fileName_, registry));
  attEncoding_ = AttEncodingForContentType(contentType_);
}

void TmxAttItem::SetContentType(std::string_view contentType) { contentType_ = ShortString(contentType); }

void TmxAttItem::LoadData() { data_.LoadFromFile(fileName_); }

void TmxAttItem::Assign(const TmxAttItem& source) {
  if (&source == this) return;
  data_.Clear();
  source.data_.SaveToStream(data_);
  data_.SetPosition(0);
  contentType_ = source.contentType_;
  attEncoding_ = source.attEncoding_;
  fileName_ = source.fileName_;
}

TmxAttItem& TmxAttList::Items(std::size_t index) {
  if (index >= items_.size()) throw ERangeError();
  return *items_[index];
}

const TmxAttItem& TmxAttList::Items(std::size_t index) const {
  if (index >= items_.size()) throw ERangeError();
  return *items_[index];
}

TmxAttItem& TmxAttList::Add(std::unique_ptr<TmxAttItem> item) {
  if (!item) item = std::make_unique<TmxAttItem>();
  items_.push_back(std::move(item));
  return *items_.back();
}

TmxAttItem& TmxAttList::Add() { return Add(std::make_unique<TmxAttItem>()); }

void TmxAttList::Clear() {
  while (!items_.empty()) items_.pop_back();
}

void TmxAttList::Assign(const TmxAttList& source) {
  if (&source == this) return;
  Clear();
  for (const auto& item : source.items_) Add().Assign(*item);
}

}  // namespace parvex
