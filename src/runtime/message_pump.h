#pragma once
// "Let pending window messages be processed": the one thing the portable code asks
// of the host's event loop while it works or waits. The host may do nothing.

namespace parvex {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void processMessages() = 0;
};

class NoMessagePump final : public MessagePump {
 public:
  void processMessages() override {}
};

}  // namespace parvex
