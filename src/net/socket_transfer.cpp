// Moving the dialogue's bytes: reply lines in, command lines and the message
// out, and the switch to a secure channel.
#include <cmath>
#include <utility>

#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/nssocket.h"
#include "net/smtp_reply.h"

namespace parvex {

using namespace winsock;

int TnsSocket::ReceiveSome(char* buffer, int size) {
  for (;;) {
    ProcessMessages();
    if (cancelRequested_) return -1;
    const int received = winsock_.recv(socketHandle_, buffer, size, 0);
    if (received > 0) return received;
    if (received == 0) {
      // The server has closed and everything it sent is read. Said here, not only
      // by FD_CLOSE, which no longer comes once the program is ending.
      peerClosed_ = true;
      return 0;
    }
    const int error = winsock_.WSAGetLastError();
    if (error != kWsaEwouldblock) SocketError(static_cast<unsigned>(error));
    if (errorPending_) SocketError(notifyError_);
    // Checked only when nothing has come: a reply that arrived while a dialog's
    // loop kept the messages away past the time-out is still taken.
    if (counter_.Expired) return -1;
    Idle();  // FD_READ tells when more has come
  }
}

int TnsSocket::ReadLine(std::string& line) {
  if (!Connected()) SocketError(sNotConnected);
  line.clear();
  counter_.Start();  // the whole line must arrive within TimeOut
  char buffer[kReceiveChunk];
  for (;;) {
    InboundLines::Result result = InboundLines::Result::NeedMore;
    try {
      result = inbound_.TakeLine(line);
    } catch (const ETlsError&) {
      // A record that does not decrypt leaves nothing to trust on this connection.
      counter_.Stop();
      Close();
      throw;
    }
    switch (result) {
      case InboundLines::Result::Line: counter_.Stop(); return ReplyCode(line);
      case InboundLines::Result::TooLong:
        // The rest of this line is unread: the reply stream cannot be trusted
        // any more, so the connection goes before the error is raised.
        counter_.Stop();
        Close();
        throw ERangeError();
      case InboundLines::Result::Ended:
        counter_.Stop();
        if (inbound_.ChannelClosed()) peerClosed_ = true;
        line.clear();
        return -1;  // closed before the line ended
      case InboundLines::Result::NeedMore: break;
    }
    const int received = ReceiveSome(buffer, kReceiveChunk);
    if (received < 0) {
      counter_.Stop();
      RaiseStopped();
    }
    if (received == 0) {
      inbound_.ConnectionClosed();
    } else {
      inbound_.Received(std::string_view(buffer, static_cast<std::size_t>(received)));
    }
  }
}

int TnsSocket::ReadReply() {
  SmtpReplyAssembler reply;
  for (;;) {
    ReadLine(lastReply_);
    if (!reply.lines().empty() && lastReply_.empty() && peerClosed_) {
      // Cut by the server's close: no reply, whatever its first line said.
      replyLines_.clear();
      return -1;
    }
    switch (reply.addLine(lastReply_)) {
      case SmtpReplyAssembler::State::NeedMore: break;
      case SmtpReplyAssembler::State::Complete: replyLines_ = reply.lines(); return reply.code();
      case SmtpReplyAssembler::State::TooManyLines:
        Close();
        throw ESocketError("The server's reply ran past " + std::to_string(SmtpReplyAssembler::kMaxLines) +
                           " lines.");
    }
  }
}

void TnsSocket::SendLine(const std::string& line) {
  if (!Connected()) SocketError(sNotConnected);
  const std::string data = line + "\r\n";
  if (tls_) {
    SendAll(tls_->Encrypt(data));
  } else {
    SendAll(data);
  }
}

void TnsSocket::SendAll(std::string_view data) {
  counter_.Start();
  std::size_t position = 0;
  bool stopped = false;
  // At least one send, even of nothing: the stream's last round has always made one.
  do {
    ProcessMessages();
    if (cancelRequested_) {
      stopped = true;
      break;
    }
    const int sent =
        winsock_.send(socketHandle_, data.data() + position, static_cast<int>(data.size() - position), 0);
    if (sent > 0) {
      position += static_cast<std::size_t>(sent);
      counter_.Start();  // the time-out limits the time without progress
      continue;
    }
    if (sent == 0 && data.empty()) break;
    if (sent == kSocketError) {
      const int error = winsock_.WSAGetLastError();
      if (error != kWsaEwouldblock) SocketError(static_cast<unsigned>(error));
    }
    if (counter_.Expired) {
      stopped = true;
      break;
    }
    Idle();  // FD_WRITE tells when there is room again
  } while (position < data.size());
  counter_.Stop();
  if (stopped) RaiseStopped();
}

void TnsSocket::SendStream(TStream& stream) {
  stream.SetPosition(0);
  const std::int64_t size = stream.Size();
  char buffer[kChunk];
  std::int64_t transferred = 0;  // counted here: asking the file costs a call per chunk
  int n = 0;
  do {
    n = static_cast<int>(stream.Read(buffer, kChunk));
    // A short read before the end is no end: a cut mail must not go out as whole.
    if (n < kChunk && stream.Position() < size) {
      counter_.Stop();
      throw EReadError("Could not read the mail's temporary file.");
    }
    const std::string_view chunk(buffer, static_cast<std::size_t>(n));
    if (tls_) {
      SendAll(n > 0 ? tls_->Encrypt(chunk) : std::string());
    } else {
      SendAll(chunk);
    }
    transferred += n;
    if (OnProgress) {
      // The percentage is figured in 32 bits (it wraps past 21 MB); an empty
      // stream counts as complete rather than dividing by zero.
      const auto scaled = static_cast<std::int32_t>(static_cast<std::uint32_t>(transferred) * 100u);
      const int perc = size > 0 ? static_cast<int>(std::nearbyint(static_cast<double>(scaled) / size)) : 100;
      OnProgress(*this, perc, static_cast<int>(transferred));
    }
  } while (n == kChunk);
  if (OnProgress) OnProgress(*this, 0, 0);
}

void TnsSocket::StartTls(std::unique_ptr<TlsChannel> channel) {
  if (!Connected()) SocketError(sNotConnected);
  tls_.reset();
  try {
    // Bytes that came after the server's yes to STARTTLS came in clear: read
    // inside the secure channel they would pass for the server's replies.
    if (inbound_.HasUnread()) throw ETlsError("The server sent more than its reply to STARTTLS.");
    std::string received;
    std::string toSend;
    char buffer[kReceiveChunk];
    while (!channel->Handshake(received, toSend)) {
      if (!toSend.empty()) SendAll(std::exchange(toSend, {}));
      counter_.Start();
      const int got = ReceiveSome(buffer, kReceiveChunk);
      counter_.Stop();
      if (got < 0) RaiseStopped();
      if (got == 0) throw ETlsError("The server closed the connection during the handshake.");
      received.append(buffer, static_cast<std::size_t>(got));
    }
    if (!toSend.empty()) SendAll(std::exchange(toSend, {}));
    channel->VerifyServer();
    tls_ = std::move(channel);
    inbound_.Secure(*tls_);
    inbound_.Received(received);
  } catch (...) {
    // Half a handshake, or a server we do not trust: not one more byte goes to it.
    counter_.Stop();
    Close();
    throw;
  }
}

}  // namespace parvex
