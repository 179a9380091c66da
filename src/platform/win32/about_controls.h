#pragma once
// Window classes, captions, control identifiers and the maker's details of the
// about and help windows, so that a test driver can find and check them.
namespace parvex::about {

inline constexpr const char* kAboutWindowClass = "TfrmAbout";
inline constexpr const char* kAboutCaption = "How to contact us";
inline constexpr int kAboutClientWidth = 420;
inline constexpr int kAboutClientHeight = 337;

inline constexpr const char* kHelpWindowClass = "TfrmHelp";
inline constexpr const char* kHelpCaption = "Help for Parvex 2000";
inline constexpr int kHelpClientWidth = 534;
inline constexpr int kHelpClientHeight = 380;

// Both windows' OK buttons are IDOK (1); the cancel key sends IDCANCEL.
inline constexpr int kBtWeb = 2101;
inline constexpr int kDigMarquee1 = 2102;
inline constexpr int kGradientBack1 = 2103;
inline constexpr int kAboutPanel = 2104;
inline constexpr int kHelpMemo = 2201;

inline constexpr const char* kWebBrowserError = "Couldn't open web browser for home page";

// The maker's details. Invented: the program names no real company.
inline constexpr const char* kHomePage = "http://www.example.com/";
inline constexpr const char* kWebAddress = "www.example.com";
inline constexpr const char* kContactMail = "parvex@example.com";
inline constexpr const char* kPostalStreet = "100 Example Road";
inline constexpr const char* kPostalTown = "Sampletown, EX 01234, Nowhere";
inline constexpr const char* kOtherProgramsSentence =
    "Visit our web site to find our other shareware and freeware programs for Windows.";

}  // namespace parvex::about
