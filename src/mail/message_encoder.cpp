#include "mail/message_encoder.h"

namespace parvex {

std::string FileNamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

TmxCustomEncoder::TmxCustomEncoder(TmxCustomMessage& message, TStream& stream) : message_(message), stream_(stream) {}

void TmxCustomEncoder::Encode() { throw EMessageError("Message encoding is not available yet"); }

void TmxMessageEncoder::WriteHeaders() {}
void TmxArticleEncoder::WriteHeaders() {}

}  // namespace parvex
