#include "app/win32/not_yet_available.h"

#include "ui/exceptions.h"

namespace parvex {

void NotYetAvailableMailSender::send(const MailRequest&) { throw Exception(kEmailNotYetAvailable); }

}  // namespace parvex
