#pragma once
// Window classes, caption and control identifiers of the main window, so that a
// test driver can find the window and its controls from outside the process.

namespace parvex::watcher {

inline constexpr const char* kMainWindowClass = "TfrmWatcher";
inline constexpr const char* kMainWindowCaption = "Parvex 2000 - monitor Windows folders";
inline constexpr const char* kApplicationWindowClass = "TApplication";
inline constexpr const char* kProgramTitle = "Parvex 2000";

// Folder slots ed1..ed20 and their buttons sb1..sb20, and the number labels.
inline constexpr int kEdFirst = 1001;    // ed<k> = kEdFirst + k - 1
inline constexpr int kSbFirst = 1101;    // sb<k> = kSbFirst + k - 1
inline constexpr int kSlotLabelFirst = 1201;

inline constexpr int kPageControl2 = 1300;
inline constexpr int kPageFolders = 1301;
inline constexpr int kPageNotification = 1302;
inline constexpr int kScrollBox1 = 1303;
inline constexpr int kNSecs = 1310;
inline constexpr int kSpinner1 = 1311;
inline constexpr int kCbNew = 1312;
inline constexpr int kCbChange = 1313;
inline constexpr int kCbDelete = 1314;

inline constexpr int kRbSoundAlarm = 1400;
inline constexpr int kPnlAlarm = 1401;
inline constexpr int kEdWave = 1402;
inline constexpr int kSpeedButton6 = 1403;
inline constexpr int kButton2 = 1404;
inline constexpr int kRbSendEmail = 1405;
inline constexpr int kPageControl1 = 1410;
inline constexpr int kPageSmtp = 1411;
inline constexpr int kPageRecipients = 1412;
inline constexpr int kPageSubject = 1413;
inline constexpr int kRbMAPI = 1420;
inline constexpr int kRbSMTP = 1421;
inline constexpr int kPnlSMTP = 1422;
inline constexpr int kEdServer = 1423;
inline constexpr int kEdSender = 1424;
inline constexpr int kEdEmail = 1425;
inline constexpr int kBtSmtpSecurity = 1426;
inline constexpr int kMeRecipients = 1430;
inline constexpr int kEdSubject = 1431;

inline constexpr int kCbAutoStart = 1500;
inline constexpr int kBtHelp = 1501;
inline constexpr int kBtAbout = 1502;
inline constexpr int kBtActivate = 1503;
inline constexpr int kBtClose = 1504;

inline constexpr int kPanel1 = 1600;
inline constexpr int kSummaryCaption1 = 1601;
inline constexpr int kSummaryCaption2 = 1602;
inline constexpr int kMeSummary = 1603;
inline constexpr int kBtPrint = 1604;
inline constexpr int kBtAppend = 1605;

// Tray menu items; a WM_COMMAND with these ids to the main window chooses them.
inline constexpr int kMenuShow1 = 1701;
inline constexpr int kMenuExit1 = 1702;

// The window timer that drives monitoring (Timer1).
inline constexpr int kTimer1 = 1;

}  // namespace parvex::watcher
