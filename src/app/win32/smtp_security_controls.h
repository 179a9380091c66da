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
inline constexpr int kRbAuthPassword = 2007;
inline constexpr int kRbAuthOAuth = 2008;
inline constexpr int kCbOAuthProvider = 2009;
inline constexpr int kEdOAuthClientId = 2010;
inline constexpr int kEdOAuthClientSecret = 2011;
inline constexpr int kEdOAuthTenant = 2012;
inline constexpr int kEdOAuthAuthorizeUrl = 2013;
inline constexpr int kEdOAuthTokenUrl = 2014;
inline constexpr int kEdOAuthScope = 2015;
inline constexpr int kBtOAuthSignIn = 2016;
inline constexpr int kLbOAuthStatus = 2017;

// The providers in the list's order, as stored ("OAuthProvider").
inline constexpr const char* kProviders[] = {"microsoft", "google", "custom"};

}  // namespace parvex::smtp_security
