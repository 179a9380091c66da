#include "support/test_servers.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace parvex::test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {

std::string In(const std::string& name) { return ServerDir() + "/" + name; }

}  // namespace

int FaultPort(const std::string& scenario) {
  if (ServerDir().empty()) return 0;
  std::istringstream lines(ReadFile(In("ports")));
  std::string name;
  int port = 0;
  while (lines >> name >> port) {
    if (name == scenario) return port;
  }
  return 0;
}

int SinkPort() {
  if (ServerDir().empty()) return 0;
  return std::atoi(ReadFile(In("sink.port")).c_str());
}

std::string FaultTranscript(const std::string& scenario) {
  std::string log = ReadFile(In(scenario + ".log"));
  auto last = log.rfind("--- connection\n");
  return last == std::string::npos ? log : log.substr(last + 15);
}

int FaultConnections(const std::string& scenario) {
  std::string log = ReadFile(In(scenario + ".log"));
  int count = 0;
  for (auto at = log.find("--- connection"); at != std::string::npos; at = log.find("--- connection", at + 1)) {
    ++count;
  }
  return count;
}

std::string SinkMessage(int n) { return ReadFile(In("msg-" + std::to_string(n) + ".eml")); }

std::string SinkMessageAsReceived(int n) { return ReadFile(In("msg-" + std::to_string(n) + ".txt")); }

std::string SinkEnvelope(int n) { return ReadFile(In("msg-" + std::to_string(n) + ".env")); }

int SinkMessageCount() {
  int n = 0;
  while (!ReadFile(In("msg-" + std::to_string(n + 1) + ".env")).empty()) ++n;
  return n;
}

std::string WaitForSinkMessage(int n, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::string stored = SinkMessage(n);
    if (!stored.empty() || std::chrono::steady_clock::now() >= deadline) return stored;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace parvex::test
