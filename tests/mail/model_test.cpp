// The message model: computed content type, checks before sending, copying,
// header look-ups and attachments.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "mail/address_parsing.h"
#include "mail/attachments.h"
#include "mail/file_types.h"
#include "mail/mail_message.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using testing::MessageOf;

class FakeFileTypes : public FileTypeRegistry {
 public:
  std::map<std::string, std::string> types{
      {".gif", "image/gif"}, {".txt", "TEXT/PLAIN"}, {".htm", "text/html"}, {".eml", "message/rfc822"}};
  std::string ContentTypeOf(const std::string& extension) const override {
    auto it = types.find(extension);
    return it == types.end() ? std::string() : it->second;
  }
};

TmxAttItem& Attach(TmxCustomMessage& message, const std::string& path, const std::string& type = "text/plain") {
  TmxAttItem& item = message.Attachments().Add();
  item.SetFileName(path, FakeFileTypes());
  item.SetContentType(type);
  return item;
}

TEST(MessageContentType, FollowsBodyAndAttachments) {
  struct Case {
    const char* name;
    bool body;
    std::vector<std::pair<std::string, std::string>> attachments;
    const char* stored;
    const char* expected;
  } cases[] = {
      {"nothing", false, {}, "", "text/plain"},
      {"body keeps a set type", true, {}, "text/html", "text/html"},
      {"body, stored empty", true, {}, "", "text/plain"},
      {"body and one attachment", true, {{"a.gif", "image/gif"}}, "text/html", "multipart/mixed"},
      {"alternatives only",
       true,
       {{"x\\_ALT.htm", "text/html"}, {"_alt.txt", "text/plain"}},
       "",
       "multipart/alternative"},
      {"alternatives, no body",
       false,
       {{"_alt.htm", "text/html"}, {"_alt.txt", "text/plain"}},
       "",
       "multipart/alternative"},
      {"rtf body file", false, {{"C:\\t\\_RtfBody.rtf", "application/rtf"}}, "", "text/rtf"},
      {"html body file", false, {{"_htmbody.htm", "text/html"}}, "", "text/html"},
      {"html body file with a body", true, {{"_htmbody.htm", "text/html"}}, "", "multipart/mixed"},
      {"one attachment alone", false, {{"p.gif", "Image/GIF"}}, "", "Image/GIF"},
      {"two attachments alone", false, {{"p.gif", "image/gif"}, {"q.gif", "image/gif"}}, "", "multipart/mixed"},
  };
  for (const auto& c : cases) {
    TmxMessage message;
    if (c.body) message.Body().push_back("line");
    for (const auto& [path, type] : c.attachments) Attach(message, path, type);
    message.SetContentType(c.stored);
    EXPECT_EQ(message.ContentType(), c.expected) << c.name;
    EXPECT_EQ(message.StoredContentType(), c.expected) << c.name;
  }
}

TEST(MessageContentType, DefaultsClearAndCase) {
  TmxMessage message;
  EXPECT_EQ(message.ContentType(), "text/plain");
  message.Clear();
  EXPECT_EQ(message.StoredContentType(), "");
  EXPECT_EQ(message.ContentType(), "text/plain");
  message.SetContentType("TEXT/HTML");
  EXPECT_EQ(message.StoredContentType(), "text/html");
  message.SetEncoding(meUU);
  EXPECT_EQ(message.ContentType(), "");
  EXPECT_EQ(message.StoredContentType(), "");
}

TEST(MessageContentType, SettingAttachmentsCopiesThem) {
  TmxAttList list;
  list.Add().SetFileName("a.gif", FakeFileTypes());
  list[0].Data().WriteString("GIF89a");
  TmxMessage message;
  message.SetAttachments(list);
  EXPECT_EQ(message.StoredContentType(), "multipart/mixed");
  list.Clear();  // the message's copies survive
  ASSERT_EQ(message.Attachments().Count(), 1u);
  EXPECT_EQ(message.Attachments()[0].Data().AsString(), "GIF89a");
  message.SetAttachments(list);
  EXPECT_EQ(message.StoredContentType(), "text/plain");
}

TEST(MessageValidate, SenderAndRecipients) {
  TmxMessage message;
  EXPECT_EQ(MessageOf<EMessageError>([&] { message.Validate(); }), "The address of sender is required");
  message.Sender().SetAddress("me@host");
  message.Recipients().AddAddress("", "Nobody");
  EXPECT_EQ(MessageOf<EMessageError>([&] { message.Validate(); }), "At least one Recipient, CC or BCC must be entered");
  message.BCC().AddAddress("hidden@host", "");
  EXPECT_EQ(MessageOf<EMessageError>([&] { message.Validate(); }), "(no error)");
}

TEST(MessageValidate, LineBreaksInHeaderTextsAreRefused) {
  struct Case {
    std::function<void(TmxMessage&)> spoil;
    const char* message;
  } cases[] = {
      {[](TmxMessage& m) { m.SetSubject("Hi\r\nBcc: victim@host"); }, "The subject must not contain a line break"},
      {[](TmxMessage& m) { m.Sender().SetName("Me\n"); }, "The sender's name must not contain a line break"},
      {[](TmxMessage& m) { m.Sender().SetAddress("me@host\r"); }, "The sender's address must not contain a line break"},
      {[](TmxMessage& m) { m.Recipients().AddAddress("x@host\r\nRCPT TO:<y>", "x"); },
       "The recipient's address must not contain a line break"},
      {[](TmxMessage& m) { m.CC().AddAddress("c@host", "C\nD"); },
       "The CC recipient's name must not contain a line break"},
      {[](TmxMessage& m) { m.BCC().AddAddress("b@host\n", ""); },
       "The BCC recipient's address must not contain a line break"},
  };
  for (const auto& c : cases) {
    TmxMessage message;
    message.Sender().SetAddress("me@host");
    message.Recipients().AddAddress("you@host", "you@host");
    c.spoil(message);
    EXPECT_EQ(MessageOf<EMessageError>([&] { message.Validate(); }), c.message);
    TMemoryStream out;
    EXPECT_EQ(MessageOf<EMessageError>([&] { message.EncodeToStream(out); }), c.message);
  }
}

TEST(ArticleValidate, NewsgroupsThenSubject) {
  TmxArticle article;
  article.Sender().SetAddress("me@host");
  EXPECT_EQ(MessageOf<EMessageError>([&] { article.Validate(); }), "Newsgroup header is required");
  article.SetNewsGroups("comp.lang");
  EXPECT_EQ(MessageOf<EMessageError>([&] { article.Validate(); }), "Subject header is required");
  article.SetSubject("s");
  EXPECT_EQ(MessageOf<EMessageError>([&] { article.Validate(); }), "(no error)");
}

TEST(MessageModel, ShortStringsAreCut) {
  const std::string longText(300, 'n');
  TmxMessage message;
  message.SetSubject(longText);
  message.Recipients().AddAddress(longText, longText);
  message.Sender().SetAddress(longText);  // the mailer sets the sender this way
  message.Sender().SetName(longText);
  message.SetContentType(longText);
  TmxAttItem& item = message.Attachments().Add();
  item.SetFileName(longText);
  EXPECT_EQ(message.Subject().size(), 255u);
  EXPECT_EQ(message.Recipients()[0].Address().size(), 255u);
  EXPECT_EQ(message.Recipients()[0].Name().size(), 255u);
  EXPECT_EQ(message.Sender().Address(), longText.substr(0, 255));
  EXPECT_EQ(message.Sender().Name(), longText.substr(0, 255));
  EXPECT_EQ(message.StoredContentType().size(), 255u);
  EXPECT_EQ(item.FileName().size(), 255u);
  EXPECT_THROW(message.Recipients()[1], ERangeError);
}

TEST(MessageModel, ClearAndAssign) {
  TmxMessage source;
  source.Sender().SetAddress("me@host");
  source.Recipients().AddAddress("a@host", "A");
  source.CC().AddAddress("c@host", "C");
  source.SetPriority(ptHigh);
  source.SetReturnReceipt(true);
  source.SetSubject("s");
  source.Body() = {"x"};
  source.Headers().Add("X-Tag: 1");
  source.SetCharSet(csISO8859);
  Attach(source, "a.gif", "image/gif").Data().WriteString("data");

  TmxMessage copy;
  copy.Assign(source);
  EXPECT_EQ(copy.Recipients()[0].Name(), "A");
  EXPECT_EQ(copy.CC()[0].Address(), "c@host");
  EXPECT_EQ(copy.Priority(), ptHigh);
  EXPECT_TRUE(copy.ReturnReceipt());
  EXPECT_EQ(copy.Attachments()[0].Data().AsString(), "data");
  EXPECT_EQ(copy.StoredContentType(), "multipart/mixed");
  EXPECT_EQ(copy.CharSet(), csISO8859);

  copy.Clear();
  EXPECT_EQ(copy.Recipients().Count() + copy.CC().Count() + copy.Attachments().Count() + copy.Body().size() +
                copy.Headers().Count(),
            0u);
  EXPECT_EQ(copy.Sender().Address(), "");
  EXPECT_EQ(copy.CharSet(), csUSASCII);
  EXPECT_EQ(copy.Priority(), ptHigh);  // kept by Clear
  EXPECT_TRUE(copy.ReturnReceipt());
}

TEST(Attachments, EncodingFollowsTheFileType) {
  FakeFileTypes types;
  struct Case {
    const char* path;
    const char* type;
    std::uint8_t encoding;
  } cases[] = {
      {"notes.txt", "TEXT/PLAIN", kAttQuotedPrintable},
      {"page.htm", "text/html", kAttQuotedPrintable},
      {"mail.eml", "message/rfc822", kAttSevenBit},
      {"pic.gif", "image/gif", kAttBase64},
      {"archive", "application/octet-stream", kAttBase64},
      {"odd.xyz", "application/octet-stream", kAttBase64},
      {"C:\\dir.txt\\file", "application/octet-stream", kAttBase64},
  };
  for (const auto& c : cases) {
    TmxAttItem item;
    item.SetFileName(c.path, types);
    EXPECT_EQ(item.ContentType(), c.type) << c.path;
    EXPECT_EQ(item.AttEncoding(), c.encoding) << c.path;
  }
  TmxAttItem item;
  item.SetContentType("x/y");
  item.SetFileName("", types);
  EXPECT_EQ(item.ContentType(), "x/y");
  EXPECT_EQ(ContentTypeForFile("report.doc"), "application/octet-stream");  // native stand-in knows nothing
}

TEST(Headers, GetFieldValue) {
  TmxHeaders headers;
  headers.Lines() = {"Subject: Hello", " world", "\tagain", "X-Uidl: =?x?Q?raw?=", "Empty:"};
  EXPECT_EQ(headers.GetFieldValue("subject"), "Hello world again");
  EXPECT_EQ(headers.GetFieldValue("X-UIDL"), "=?x?Q?raw?=");
  EXPECT_EQ(headers.GetFieldValue("Empty:"), "");
  EXPECT_EQ(headers.GetFieldValue("Missing"), "");
  headers.Lines() = {"Subject:Hello"};
  EXPECT_EQ(headers.GetFieldValue("Subject"), "Hello");
  headers.Lines() = {"Subject: =?iso-8859-1?Q?Caf=E9?="};
  EXPECT_EQ(headers.GetFieldValue("SUBJECT"), "Caf\xE9");
  EXPECT_EQ(TmxHeaders().GetFieldValue("Subject"), "");
}

TEST(Headers, GetFieldValuesSplitsAddressLists) {
  TmxHeaders headers;
  headers.Lines() = {"To: \"Smith, John\" <js@host>, b@host,", "  c@host, d@host", "Cc: x@host", "to: e@host",
                     "X-Other: 1"};
  TStrings values{"stale"};
  headers.GetFieldValues("To", values);
  EXPECT_EQ(values, (TStrings{"\"Smith, John\" <js@host>", "b@host", "c@host", "d@host", "e@host"}));
  headers.Lines() = {"To no colon", "To: a@host"};
  headers.GetFieldValues("To", values);
  EXPECT_TRUE(values.empty());
}

TEST(Headers, RemoveFieldTakesTheFirstWithItsContinuation) {
  TmxHeaders headers;
  headers.Lines() = {"X-A: 1", "To: a", " more", "\tand more", "To: b", " b2"};
  headers.RemoveField("To");
  EXPECT_EQ(headers.Lines(), (TStrings{"X-A: 1", "To: b", " b2"}));
  headers.RemoveField("Missing");
  EXPECT_EQ(headers.Count(), 3u);
}

TEST(ReadHeaders, MessageTakesItsFieldsFromHeaders) {
  TmxHeaders headers;
  headers.Lines() = {"From: \"Ann\" <ann@host>",
                     "To: b@host, Carl <c@host>",
                     "CC: d@host (Dee)",
                     "Bcc: e@host",
                     "Subject: Re: x",
                     "X-Priority: 1",
                     "Return-receipt-to: ann@host"};
  TmxMessage message;
  message.ReadHeaders(headers);
  EXPECT_EQ(message.Sender().Name(), "Ann");
  EXPECT_EQ(message.Sender().Address(), "ann@host");
  ASSERT_EQ(message.Recipients().Count(), 2u);
  EXPECT_EQ(message.Recipients()[1].Name(), "Carl");
  EXPECT_EQ(message.CC()[0].Name(), "Dee");
  EXPECT_EQ(message.BCC()[0].Address(), "e@host");
  EXPECT_EQ(message.Subject(), "Re: x");
  EXPECT_EQ(message.Priority(), ptHigh);
  EXPECT_TRUE(message.ReturnReceipt());
  EXPECT_EQ(message.Headers().Count(), headers.Count());

  for (const auto& [value, priority] :
       {std::pair<const char*, TPriority>{"3", ptNormal}, {"1 (Highest)", ptNormal}, {"5", ptLow}}) {
    TmxHeaders h;
    h.Add(std::string("X-Priority: ") + value);
    TmxMessage m;
    m.ReadHeaders(h);
    EXPECT_EQ(m.Priority(), priority) << value;
  }
}

TEST(Address, ParseAddressForms) {
  struct Case {
    const char* text;
    const char* name;
    const char* address;
  } cases[] = {
      {"John Smith <js at host>", "John Smith", "js at host"},
      {"\"Smith, John\" <js>", "Smith, John", "js"},
      {"<js>", "", "js"},
      {"<js> trailing", "trailing", "js"},
      {"js (John Smith)", "John Smith", "js"},
      {"js", "", "js"},
      {" js ", "", " js "},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    TmxMailAddress address;
    ParseAddress(c.text, address);
    EXPECT_EQ(address.Name(), c.name) << c.text;
    EXPECT_EQ(address.Address(), c.address) << c.text;
  }
  for (const char* bad : {"<js", "js> x <"}) {
    TmxMailAddress address("kept@host", "Kept");
    try {
      ParseAddress(bad, address);
      ADD_FAILURE() << bad;
    } catch (const EMessageParserError& e) {
      EXPECT_EQ(e.Message(), "Unable to parse email address");
    }
    EXPECT_EQ(address.Address(), "kept@host");
    EXPECT_EQ(address.Name(), "Kept");
  }
  EXPECT_EQ(StripQuotes("  \"\" a b \"\"  "), " a b ");
}

}  // namespace
}  // namespace parvex
