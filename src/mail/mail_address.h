#pragma once
// One mailbox with its display name, and an owning list of them.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

class TmxMailAddress;

// Shows an address for editing (on Windows the address dialog); true when the
// user confirmed, with the changes made to the given address.
class MailAddressEditor {
 public:
  virtual ~MailAddressEditor() = default;
  virtual bool Execute(TmxMailAddress& address) = 0;
};

class TmxMailAddress {
 public:
  TmxMailAddress() = default;
  TmxMailAddress(std::string_view address, std::string_view name);

  const std::string& Name() const { return name_; }
  const std::string& Address() const { return address_; }
  void SetName(std::string_view name);        // cut to 255
  void SetAddress(std::string_view address);  // cut to 255

  void Assign(const TmxMailAddress& source);
  void Clear();
  // Edits a copy, so that a cancelled edit leaves the address as it was; true
  // when the address took the edited values.
  bool Edit(MailAddressEditor& editor);

 private:
  std::string name_;
  std::string address_;
};

class TmxAddressList {
 public:
  TmxAddressList() = default;
  TmxAddressList(const TmxAddressList&) = delete;
  TmxAddressList& operator=(const TmxAddressList&) = delete;

  std::size_t Count() const { return items_.size(); }
  TmxMailAddress& Items(std::size_t index);  // ERangeError past the end
  const TmxMailAddress& Items(std::size_t index) const;
  TmxMailAddress& operator[](std::size_t index) { return Items(index); }
  const TmxMailAddress& operator[](std::size_t index) const { return Items(index); }

  // Appends an existing object; the list takes ownership.
  TmxMailAddress& Add(std::unique_ptr<TmxMailAddress> item);
  // Appends a new item; note the order: address first, then name.
  TmxMailAddress& AddAddress(std::string_view address, std::string_view name);
  void Clear();
  void Assign(const TmxAddressList& source);

 private:
  std::vector<std::unique_ptr<TmxMailAddress>> items_;
};

}  // namespace parvex
