#pragma once
// "Let pending window messages be processed": the one thing the portable code asks
// of the host's event loop while it works or waits. The host may do nothing.

namespace parvex {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void processMessages() = 0;
  // True once the program has been asked to end: no more messages are
  // dispatched, so a wait must give up instead of waiting for ever.
  virtual bool QuitRequested() const { return false; }
  // Blocks until a message arrives or `timeoutMs` pass, so that a wait with
  // nothing to do costs no processor time. The host may return at once.
  virtual void WaitForMessage(unsigned timeoutMs) {}
};

class NoMessagePump final : public MessagePump {
 public:
  void processMessages() override {}
};

}  // namespace parvex
