#pragma once
// TnsSocket: one TCP connection driven by Winsock's window notifications. Every
// wait pumps the application's messages until its notification arrives, the
// operation is cancelled, or the one-second time counter expires; so the window
// stays responsive and a handler dispatched from a wait may call Cancel.
// Each connection has a hidden window of its own, made by Open and destroyed by
// Close: a notification still queued for a closed socket (whose number Windows
// may hand to the next one) dies with its window.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/inbound_lines.h"
#include "net/nswinsock.h"
#include "net/socket_host.h"
#include "net/time_counter.h"
#include "net/tls_channel.h"
#include "runtime/message_pump.h"
#include "runtime/streams.h"

namespace parvex {

class TnsSocket;

using TNotifyEvent = std::function<void(TnsSocket& sender)>;
using TmxErrorEvent = std::function<void(TnsSocket& sender, std::string& msg)>;
using TmxProgressEvent = std::function<void(TnsSocket& sender, int perc, int transferred)>;

class TnsSocket {
 public:
  // The host provides the hidden window and the timer; `pump` is the
  // application's "process pending messages".
  TnsSocket(SocketHost& host, MessagePump& pump);
  // Over another binding than the process's one (tests watch the calls this way).
  TnsSocket(SocketHost& host, MessagePump& pump, TnsWinsock& winsock);
  virtual ~TnsSocket();
  TnsSocket(const TnsSocket&) = delete;
  TnsSocket& operator=(const TnsSocket&) = delete;

  std::string Server;  // host or dotted address, optionally ":" port
  std::uint16_t DefaultPort = 0;
  std::string ServiceName;
  // When not 0: the port used without a port in Server, with no service lookup.
  std::uint16_t FixedPort = 0;

  TNotifyEvent OnOpen;
  TNotifyEvent OnClosing;
  TNotifyEvent OnClosed;
  TNotifyEvent OnCancel;
  TmxProgressEvent OnProgress;
  TmxErrorEvent OnError;

  // The shared binding's state; a new socket unloads it, so the owner sets
  // this True after creating its sockets.
  bool WinsockLoaded() const;
  void SetWinsockLoaded(bool loaded);

  int TimeOut() const { return counter_.TimeOut; }
  void SetTimeOut(int seconds) { counter_.TimeOut = seconds; }

  bool Connected() const { return socketHandle_ != winsock::kInvalidSocket; }
  const std::string& LastReply() const { return lastReply_; }
  const std::string& LocalHost() const { return localHost_; }
  std::uint32_t RemoteAddr() const { return remoteAddr_; }
  std::uint16_t RemotePort() const { return remotePort_; }
  // The server closed its side of the connection.
  bool PeerClosed() const { return peerClosed_; }
  // A connection was made and the server has not closed it: there is someone to
  // say QUIT to.
  bool Established() const { return Connected() && connectDone_ && !peerClosed_; }
  // Every line of the last reply ReadReply read (LastReply is the last of them).
  const std::vector<std::string>& ReplyLines() const { return replyLines_; }
  // The connection runs through a secure channel.
  bool Secure() const { return tls_ != nullptr; }

  virtual void ResetState();
  virtual int ReplyCode(const std::string& line);
  virtual void Open();
  virtual void Close();
  virtual void Cancel();

  void ConnectSocket();
  int ReadLine(std::string& line);
  int ReadReply();
  void SendLine(const std::string& line);
  void SendStream(TStream& stream);
  // Runs the handshake and verifies the server; from then on every line and the
  // body go through `channel` until the socket closes. On any failure the socket
  // is closed (nothing more is sent) and the exception travels on.
  void StartTls(std::unique_ptr<TlsChannel> channel);

  // Reports a Winsock error or a string id (0 reports nothing).
  void SocketError(unsigned code);
  [[noreturn]] void RaiseTimedOut();
  [[noreturn]] void RaiseCanceled();

 protected:
  void ProcessMessages() { pump_.processMessages(); }
  std::string HostPart() const;
  TnsWinsock& Winsock() { return winsock_; }

 private:
  static constexpr int kChunk = 2047;           // bytes per send round of SendStream
  static constexpr int kReceiveChunk = 16384;   // bytes asked of one recv
  static constexpr unsigned kIdleWaitMs = 100;  // longest nap of a wait with nothing to do

  std::optional<std::intptr_t> WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  // The one wait for a notification: pumps until `done`, a cancel or the time-out.
  template <typename Done>
  void Wait(Done done) {
    counter_.Start();
    for (;;) {
      ProcessMessages();
      if (done() || cancelRequested_ || counter_.Expired) break;
      Idle();
    }
    counter_.Stop();
  }
  // Between two looks at a wait's flags: gives up when the program ends, else
  // sleeps until a message arrives.
  void Idle();
  [[noreturn]] void GiveUpForQuit();
  // Raises the cancel or the time-out that stopped a wait.
  [[noreturn]] void RaiseStopped();
  int PortPart() const;
  void ResolveHost();
  // typedPort: the port given in Server, 0 for none (then the service's).
  void ResolvePort(int typedPort);
  void CancelAsyncRequest();
  void EndAsyncRequest(bool answered);
  std::string ErrorText(unsigned code);
  // Sends all of `data`; the time-out limits the time without progress.
  void SendAll(std::string_view data);
  // What one recv gives, waiting while nothing has come.
  // Returns the bytes received into `buffer`, 0 when the server has closed, -1
  // when cancelled or timed out first.
  int ReceiveSome(char* buffer, int size);
  // A request that Winsock would not start, with the error it gives for that.
  void StartFailed();

  SocketHost& host_;
  TnsWinsock& winsock_;
  MessagePump& pump_;
  std::unique_ptr<HiddenWindow> window_;
  winsock::WsaData wsaData_{};
  winsock::Socket socketHandle_ = winsock::kInvalidSocket;
  winsock::AsyncHandle asyncRequest_ = 0;
  TTimeCounter counter_;
  std::uint32_t remoteAddr_ = 0;
  std::string localHost_;
  std::uint16_t remotePort_ = 0;
  int startupCount_ = 0;

  bool cancelRequested_ = false;
  bool hostLookupDone_ = false;
  bool serviceLookupDone_ = false;
  bool connectDone_ = false;
  bool peerClosed_ = false;
  bool errorPending_ = false;
  std::uint16_t notifyError_ = 0;

  std::string lastReply_;
  std::vector<std::string> replyLines_;

  std::unique_ptr<TlsChannel> tls_;
  InboundLines inbound_;

  // Lookup results are written here by Winsock while a request is pending.
  alignas(8) char hostBuffer_[winsock::kAsyncBufferSize] = {};
  alignas(8) char serviceBuffer_[winsock::kAsyncBufferSize] = {};
};

}  // namespace parvex
