// A stand-in for Windows' data protection where there is none: it only keeps
// the clear text out of sight (a marker, then the bytes inverted). Nothing that
// ships relies on it.
#include <string>

#include "app/password_seal.h"
#include "runtime/exceptions.h"

namespace parvex {
namespace {

constexpr std::string_view kMarker = "sealed:";

class PosixSecretSealer final : public SecretSealer {
 public:
  std::string Seal(std::string_view clear) const override {
    std::string out(kMarker);
    for (char c : clear) out += static_cast<char>(~c);
    return out;
  }
  std::string Unseal(std::string_view sealed) const override {
    if (sealed.substr(0, kMarker.size()) != kMarker) throw Exception("not sealed here");
    std::string out;
    for (char c : sealed.substr(kMarker.size())) out += static_cast<char>(~c);
    return out;
  }
};

}  // namespace

const SecretSealer& UserSecretSealer() {
  static const PosixSecretSealer sealer;
  return sealer;
}

}  // namespace parvex
