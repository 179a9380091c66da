#pragma once
// Window class and control identifiers of the SMTP security dialog, so that a
// test driver can find them.
namespace parvex::smtp_security {

inline constexpr const char* kSmtpSecurityWindowClass = "TfrmSmtpSecurity";
inline constexpr int kRbSecurityNone = 2001;
inline constexpr int kRbSecurityStartTls = 2002;
inline constexpr int kRbSecurityImplicit = 2003;
inline constexpr int kEdSmtpUser = 2004;
inline constexpr int kEdSmtpPassword = 2005;
inline constexpr int kLbPasswordStored = 2006;

}  // namespace parvex::smtp_security
