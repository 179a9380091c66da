#include "mail/mail_address.h"

#include "mail/short_string.h"
#include "runtime/exceptions.h"

namespace parvex {

TmxMailAddress::TmxMailAddress(std::string_view address, std::string_view name)
    : name_(ShortString(name)), address_(ShortString(address)) {}

void TmxMailAddress::SetName(std::string_view name) { name_ = ShortString(name); }
void TmxMailAddress::SetAddress(std::string_view address) { address_ = ShortString(address); }

void TmxMailAddress::Assign(const TmxMailAddress& source) {
  name_ = source.name_;
  address_ = source.address_;
}

void TmxMailAddress::Clear() {
  name_.clear();
  address_.clear();
}

bool TmxMailAddress::Edit(MailAddressEditor& editor) {
  TmxMailAddress copy(*this);
  if (!editor.Execute(copy)) return false;
  Assign(copy);
  return true;
}

TmxMailAddress& TmxAddressList::Items(std::size_t index) {
  if (index >= items_.size()) throw ERangeError();
  return *items_[index];
}

const TmxMailAddress& TmxAddressList::Items(std::size_t index) const {
  if (index >= items_.size()) throw ERangeError();
  return *items_[index];
}

TmxMailAddress& TmxAddressList::Add(std::unique_ptr<TmxMailAddress> item) {
  if (!item) item = std::make_unique<TmxMailAddress>();
  items_.push_back(std::move(item));
  return *items_.back();
}

TmxMailAddress& TmxAddressList::AddAddress(std::string_view address, std::string_view name) {
  return Add(std::make_unique<TmxMailAddress>(address, name));
}

void TmxAddressList::Clear() {
  while (!items_.empty()) items_.pop_back();  // last to first
}

void TmxAddressList::Assign(const TmxAddressList& source) {
  if (&source == this) return;
  Clear();
  for (const auto& item : source.items_) AddAddress(item->Address(), item->Name());
}

}  // namespace parvex
