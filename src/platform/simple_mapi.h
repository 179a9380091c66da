#pragma once
// The Simple MAPI records and the four calls the sender uses, declared without OS
// headers so the same portable code runs over MAPI32.DLL or a test double. The
// records follow the published declarations: ULONG is 32 bits on every Windows,
// pointers and handles are pointer-sized (48/24/24 bytes in a 32-bit process).
#include <cstdint>

#if defined(_WIN32)
#define PARVEX_MAPI_CALL __stdcall
#else
#define PARVEX_MAPI_CALL
#endif

namespace parvex::mapi {

using Ulong = std::uint32_t;
using Handle = std::uintptr_t;  // LHANDLE
using UiParam = std::uintptr_t;

struct MapiRecipDesc {
  Ulong ulReserved;
  Ulong ulRecipClass;
  char* lpszName;
  char* lpszAddress;
  Ulong ulEIDSize;
  void* lpEntryID;
};

struct MapiFileDesc {
  Ulong ulReserved;
  Ulong flFlags;
  Ulong nPosition;
  char* lpszPathName;
  char* lpszFileName;
  void* lpFileType;
};

struct MapiMessage {
  Ulong ulReserved;
  char* lpszSubject;
  char* lpszNoteText;
  char* lpszMessageType;
  char* lpszDateReceived;
  char* lpszConversationID;
  Ulong flFlags;
  MapiRecipDesc* lpOriginator;
  Ulong nRecipCount;
  MapiRecipDesc* lpRecips;
  Ulong nFileCount;
  MapiFileDesc* lpFiles;
};

#if !defined(_WIN64) && UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(MapiRecipDesc) == 24 && sizeof(MapiFileDesc) == 24 && sizeof(MapiMessage) == 48);
#endif

inline constexpr Ulong kSuccess = 0;
inline constexpr Ulong kUserAbort = 1;  // MAPI_USER_ABORT
inline constexpr Ulong kLogonUi = 0x01;
inline constexpr Ulong kDialog = 0x08;
inline constexpr Ulong kUseDefault = 0x40;
inline constexpr Ulong kTo = 1, kCc = 2, kBcc = 3;

using LogonFn = Ulong(PARVEX_MAPI_CALL*)(UiParam ui, char* profile, char* password, Ulong flags, Ulong reserved,
                                          Handle* session);
using SendMailFn = Ulong(PARVEX_MAPI_CALL*)(Handle session, UiParam ui, MapiMessage* message, Ulong flags,
                                             Ulong reserved);
using FreeBufferFn = Ulong(PARVEX_MAPI_CALL*)(void* buffer);
using ResolveNameFn = Ulong(PARVEX_MAPI_CALL*)(Handle session, UiParam ui, char* name, Ulong flags, Ulong reserved,
                                                MapiRecipDesc** recipient);

enum class Function { Logon, SendMail, FreeBuffer, ResolveName };

// The calls as the sender makes them. Each returns the Simple MAPI result, or 1
// (user abort) when the function is not there; `Bound` tells those apart.
class SimpleMapi {
 public:
  virtual ~SimpleMapi() = default;
  virtual bool Bound(Function function) = 0;
  virtual Ulong Logon(UiParam ui, char* profile, char* password, Ulong flags, Ulong reserved, Handle* session) = 0;
  virtual Ulong SendMail(Handle session, UiParam ui, MapiMessage* message, Ulong flags, Ulong reserved) = 0;
  virtual Ulong FreeBuffer(void* buffer) = 0;
  virtual Ulong ResolveName(Handle session, UiParam ui, char* name, Ulong flags, Ulong reserved,
                            MapiRecipDesc** recipient) = 0;
};

}  // namespace parvex::mapi
