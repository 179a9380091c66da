// Header look-ups over arbitrary header lines. The first line names the field.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "mail/mail_errors.h"
#include "mail/mail_headers.h"
#include "mail/mail_message.h"

using namespace parvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  TmxHeaders headers;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= input.size(); ++i)
    if (i == input.size() || input[i] == '\n') {
      headers.Add(input.substr(start, i - start));
      start = i + 1;
    }
  const std::string name = headers.Lines().front();
  try {
    headers.GetFieldValue(name);
    TStrings values;
    headers.GetFieldValues(name, values);
    const std::size_t before = headers.Count();
    headers.RemoveField(name);
    FUZZ_CHECK(headers.Count() <= before);
    TmxMessage message;
    message.ReadHeaders(headers);
    TmxArticle article;
    article.ReadHeaders(headers);
  } catch (const EMessageParserError&) {
  } catch (const EMessageError&) {
  }
  return 0;
}
