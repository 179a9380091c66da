#pragma once
// The least time the send rules allow on this platform for one message: the
// same dialogue and bytes as TmxSMTP, the body in 2,047-byte sends, replies
// read a byte per call, but no time counter, stream, encoding or events. What
// TmxSMTP takes beyond it is its own cost; what the floor takes beyond
// smtplib is the platform's per-call cost.
#include <string>

#include "runtime/message_pump.h"

namespace parvex::bench {

// Milliseconds from connect to the reply to QUIT, or a negative number when the
// server at 127.0.0.1:port did not take the message. With a pump, the message
// queue is processed after every send and around every byte read, as the rules
// ask.
double SmtpSendFloorMs(int port, const std::string& message, MessagePump* pump);

}  // namespace parvex::bench
