#pragma once
// Linux's /proc read through Wine's Z: drive: Wine tells little about another
// process (no processor time, no handle counts), Linux tells it all.
#include <string>
#include <vector>

namespace parvex::test {

// A whole /proc file (their size reads as 0, so it is read until its end); "" when unreadable.
std::string ReadProcFile(const std::string& path);
// The Linux process ids of `program` (named by its first command-line word, any
// case) that run in this process's Wine prefix.
std::vector<std::string> LinuxProcessesRunning(const std::string& program);
// The open file descriptors of a Linux process: its files, sockets and pipes.
int OpenFileCount(const std::string& pid);

}  // namespace parvex::test
