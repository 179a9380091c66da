#include "net/win32/winhttp_poster.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <string>
#include <thread>

#include "net/net_errors.h"
#include "runtime/win32/scoped_handle.h"
#include "runtime/win32/system_error.h"
#include "runtime/win32/system_library.h"

namespace parvex {
namespace {

#ifndef WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
#define WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3 0x00002000
#endif

// A token answer is a few kilobytes; more is not a token answer.
constexpr std::size_t kAnswerLimit = 1 << 20;
// Each phase of the request (look-up, connection, sending, the answer).
constexpr int kPhaseTimeoutMs = 30000;

using OpenFn = HINTERNET(WINAPI*)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD);
using SetTimeoutsFn = BOOL(WINAPI*)(HINTERNET, int, int, int, int);
using SetOptionFn = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
using CrackUrlFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPURL_COMPONENTS);
using ConnectFn = HINTERNET(WINAPI*)(HINTERNET, LPCWSTR, INTERNET_PORT, DWORD);
using OpenRequestFn = HINTERNET(WINAPI*)(HINTERNET, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*, DWORD);
using SendRequestFn = BOOL(WINAPI*)(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD, DWORD, DWORD_PTR);
using ReceiveResponseFn = BOOL(WINAPI*)(HINTERNET, LPVOID);
using QueryHeadersFn = BOOL(WINAPI*)(HINTERNET, DWORD, LPCWSTR, LPVOID, LPDWORD, LPDWORD);
using ReadDataFn = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
using CloseHandleFn = BOOL(WINAPI*)(HINTERNET);

// WinHTTP's handles close through the function bound from the DLL.
struct InternetKind {
  using Handle = HINTERNET;
  CloseHandleFn close = nullptr;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { close(h); }
};
using InternetHandle = ScopedHandle<InternetKind>;

// The addresses are ASCII (the settings check that); WinHTTP takes only wide text.
std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const wchar_t* text, std::size_t length) {
  std::string narrow;
  for (std::size_t i = 0; i < length; ++i) narrow += text[i] < 128 ? static_cast<char>(text[i]) : '?';
  return narrow;
}

class WinHttp {
 public:
  WinHttp() : module_(LoadSystemLibrary("winhttp.dll")) {
    open = Bind<OpenFn>("WinHttpOpen");
    setTimeouts = Bind<SetTimeoutsFn>("WinHttpSetTimeouts");
    setOption = Bind<SetOptionFn>("WinHttpSetOption");
    crackUrl = Bind<CrackUrlFn>("WinHttpCrackUrl");
    connect = Bind<ConnectFn>("WinHttpConnect");
    openRequest = Bind<OpenRequestFn>("WinHttpOpenRequest");
    sendRequest = Bind<SendRequestFn>("WinHttpSendRequest");
    receiveResponse = Bind<ReceiveResponseFn>("WinHttpReceiveResponse");
    queryHeaders = Bind<QueryHeadersFn>("WinHttpQueryHeaders");
    readData = Bind<ReadDataFn>("WinHttpReadData");
    close = Bind<CloseHandleFn>("WinHttpCloseHandle");
  }

  InternetHandle Own(HINTERNET h) const { return InternetHandle(h, InternetKind{close}); }

  // WinHTTP's own words for its errors live in its DLL.
  std::string Reason(DWORD code) const {
    std::string text = ModuleErrorText(module_.Get(), code);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text + " (" + std::to_string(code) + ")";
  }

  OpenFn open;
  SetTimeoutsFn setTimeouts;
  SetOptionFn setOption;
  CrackUrlFn crackUrl;
  ConnectFn connect;
  OpenRequestFn openRequest;
  SendRequestFn sendRequest;
  ReceiveResponseFn receiveResponse;
  QueryHeadersFn queryHeaders;
  ReadDataFn readData;
  CloseHandleFn close;

 private:
  template <class Fn>
  Fn Bind(const char* name) const {
    FARPROC proc = module_ ? GetProcAddress(module_.Get(), name) : nullptr;
    if (!proc) throw EOAuthError(std::string("Windows' HTTP service is not available (winhttp.dll: ") + name + ").");
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
  }

  ModuleHandle module_;
};

// What the worker thread hands back.
struct Exchange {
  DWORD error = 0;  // 0: the answer came
  HttpsPoster::Answer answer;
  bool tooLong = false;
};

void Transfer(const WinHttp& http, HINTERNET request, const std::string& body, Exchange& out) {
  static const wchar_t kHeaders[] = L"Content-Type: application/x-www-form-urlencoded\r\nAccept: application/json\r\n";
  if (!http.sendRequest(request, kHeaders, static_cast<DWORD>(-1), const_cast<char*>(body.data()),
                        static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
      !http.receiveResponse(request, nullptr)) {
    out.error = GetLastError();
    return;
  }
  DWORD status = 0, size = sizeof status;
  if (!http.queryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr, &status, &size,
                         nullptr)) {
    out.error = GetLastError();
    return;
  }
  out.answer.status = static_cast<int>(status);
  char buffer[8192];
  for (;;) {
    DWORD read = 0;
    if (!http.readData(request, buffer, sizeof buffer, &read)) {
      out.error = GetLastError();
      return;
    }
    if (read == 0) return;
    if (out.answer.body.size() + read > kAnswerLimit) {
      out.tooLong = true;
      return;
    }
    out.answer.body.append(buffer, read);
  }
}

}  // namespace

HttpsPoster::Answer WinHttpPoster::PostForm(const std::string& url, const std::string& body) {
  const WinHttp http;
  const std::wstring wideUrl = Wide(url);
  wchar_t host[256] = {};
  wchar_t path[2048] = {};
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = 255;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 2047;
  if (!http.crackUrl(wideUrl.c_str(), 0, 0, &parts)) throw EOAuthError("The token address " + url + " is not valid.");
  const std::string hostName = Narrow(host, parts.dwHostNameLength);
  const auto unreachable = [&](DWORD code) {
    return EOAuthError("The token address " + hostName + " cannot be reached: " + http.Reason(code) + ".");
  };

  const InternetHandle session = http.Own(
      http.open(L"Parvex 2000", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) throw unreachable(GetLastError());
  http.setTimeouts(session.Get(), kPhaseTimeoutMs, kPhaseTimeoutMs, kPhaseTimeoutMs, kPhaseTimeoutMs);
  // TLS 1.2 or later; a system that does not know 1.3 by this flag takes 1.2 alone.
  DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
  if (!http.setOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
    protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    http.setOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
  }
  const InternetHandle connection = http.Own(http.connect(session.Get(), std::wstring(host).c_str(), parts.nPort, 0));
  if (!connection) throw unreachable(GetLastError());
  InternetHandle request = http.Own(http.openRequest(connection.Get(), L"POST", path, nullptr, WINHTTP_NO_REFERER,
                                                     WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                     parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!request) throw unreachable(GetLastError());
  // Never a redirect to another address with the credentials in the body.
  DWORD noRedirect = WINHTTP_DISABLE_REDIRECTS;
  http.setOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirect, sizeof noRedirect);

  // The network part on a worker; the window goes on answering meanwhile.
  Exchange exchange;
  std::atomic<bool> done{false};
  const DWORD uiThread = GetCurrentThreadId();
  HINTERNET requestHandle = request.Get();
  std::thread worker([&] {
    Transfer(http, requestHandle, body, exchange);
    done = true;
    PostThreadMessageA(uiThread, WM_NULL, 0, 0);  // wakes the wait below
  });
  bool quit = false;
  while (!done) {
    pump_.WaitForMessage(250);
    pump_.processMessages();
    if (pump_.QuitRequested() && !quit) {
      quit = true;
      request.reset();  // closing the request is WinHTTP's way to cancel a call under way
    }
  }
  worker.join();
  if (quit) throw EQuitRequested();
  if (exchange.error != 0) throw unreachable(exchange.error);
  if (exchange.tooLong) throw EOAuthError("The token address " + hostName + " sent an answer too long to be a token.");
  return exchange.answer;
}

}  // namespace parvex
