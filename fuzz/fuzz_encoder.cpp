// The encoder over random messages: whatever the message holds, the text is
// CR LF lines with no bare CR, LF or NUL, and no line is a lone "." (which
// would end DATA early).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "mail/mail_errors.h"
#include "mail/mail_message.h"

using namespace parvex;

namespace {

std::string Text(FuzzedDataProvider& in, std::size_t max) { return in.ConsumeRandomLengthString(max); }

// Header texts mostly without line breaks (which are refused), so that most
// inputs reach the encoder.
struct Input {
  FuzzedDataProvider& data;
  bool allowBreaks;
};

std::string HeaderText(Input& input, std::size_t max) {
  FuzzedDataProvider& in = input.data;
  std::string text = Text(in, max);
  if (!input.allowBreaks)
    for (char& c : text)
      if (c == '\r' || c == '\n') c = ' ';
  return text;
}

void FillList(Input& input, TmxAddressList& list) {
  const int count = input.data.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < count; ++i) {
    const std::string address = HeaderText(input, 40);
    list.AddAddress(address, HeaderText(input, 40));
  }
}

void CheckText(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    FUZZ_CHECK(end != std::string::npos);
    const std::string line = text.substr(start, end - start);
    FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    FUZZ_CHECK(line != ".");
    start = end + 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Input input{in, in.ConsumeIntegralInRange(0, 7) == 0};
  TmxMessage message;
  message.Sender().SetAddress(HeaderText(input, 40));
  message.Sender().SetName(HeaderText(input, 40));
  FillList(input, message.Recipients());
  FillList(input, message.CC());
  FillList(input, message.BCC());
  message.SetSubject(HeaderText(input, 60));
  message.SetCharSet(static_cast<TCharSet>(in.ConsumeIntegralInRange(0, 2)));
  message.SetEncoding(in.ConsumeBool() ? meUU : meMIME);
  message.SetPriority(static_cast<TPriority>(in.ConsumeIntegralInRange(0, 2)));
  message.SetReturnReceipt(in.ConsumeBool());
  const int headerCount = in.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < headerCount; ++i) message.Headers().Add(Text(in, 60));
  const int bodyCount = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < bodyCount; ++i) message.Body().push_back(Text(in, 300));
  const int attachmentCount = in.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < attachmentCount; ++i) {
    TmxAttItem& item = message.Attachments().Add();
    static const char* const names[] = {"_alt.htm", "_htmbody.htm", "_rtfbody.rtf", "a.txt", "b.gif", "c"};
    item.SetFileName(in.ConsumeBool() ? names[in.ConsumeIntegralInRange(0, 5)] : Text(in, 30));
    if (in.ConsumeBool()) item.SetContentType(Text(in, 30));
    item.SetAttEncoding(in.ConsumeIntegralInRange<std::uint8_t>(0, 3));
    item.Data().WriteString(Text(in, 400));
  }
  if (in.ConsumeBool()) message.SetContentType(Text(in, 30));

  TMemoryStream out;
  try {
    message.EncodeToStream(out);
  } catch (const EMessageError&) {
    return 0;  // line breaks in header texts are refused
  }
  FUZZ_CHECK(out.Position() == out.Size());
  CheckText(out.AsString());
  return 0;
}
