#pragma once
// How the SMTP transport protects its connection. The numbers are the ones kept
// in the settings ("SmtpSecurity"), so they never change.
namespace parvex {

enum class SmtpSecurity {
  None = 0,      // the plain dialogue
  StartTls = 1,  // STARTTLS required; never falls back to a clear connection
  Implicit = 2,  // TLS from the first byte (SMTPS)
};

}  // namespace parvex
