#include "test_printer.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace e2e {
namespace {

constexpr const char* kDriverName = "Parvex Test PostScript";
constexpr const char* kPort = "LPT1:";
constexpr const char* kPpdName = "parvex-test.ppd";

// The print environment of this build's architecture.
const char* environmentName() { return sizeof(void*) == 8 ? "Windows x64" : "Windows NT x86"; }

class Key {
 public:
  Key(HKEY root, const std::string& path) {
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  bool ok() const { return key_ != nullptr; }
  bool put(const char* name, const std::string& value) {
    return key_ && RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }
  bool put(const char* name, DWORD value) {
    return key_ && RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof value) == ERROR_SUCCESS;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::string installTestPrinter(const std::string& ppdFile) {
  char driverDir[MAX_PATH] = {};
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir), sizeof driverDir, &needed))
    return "no printer driver folder";
  const std::string versionDir = std::string(driverDir) + "\\3";
  CreateDirectoryA(versionDir.c_str(), nullptr);
  if (!CopyFileA(ppdFile.c_str(), (versionDir + "\\" + kPpdName).c_str(), FALSE))
    return "cannot copy " + ppdFile + " to " + versionDir;

  const std::string print = "System\\CurrentControlSet\\Control\\Print\\";
  Key driver(HKEY_LOCAL_MACHINE,
             print + "Environments\\" + environmentName() + "\\Drivers\\Version-3\\" + kDriverName);
  Key printer(HKEY_LOCAL_MACHINE, print + "Printers\\" + kTestPrinterName);
  Key windows(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
  Key devices(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices");
  Key fonts(HKEY_CURRENT_USER, "Software\\Wine\\Fonts\\Replacements");
  const bool written =
      driver.put("Driver", "wineps.drv") && driver.put("Configuration File", "wineps.drv") &&
      driver.put("Data File", kPpdName) && driver.put("Datatype", "RAW") && driver.put("Version", DWORD{3}) &&
      printer.put("Name", kTestPrinterName) && printer.put("Port", kPort) &&
      printer.put("Printer Driver", kDriverName) && printer.put("Print Processor", "winprint") &&
      printer.put("Datatype", "RAW") && printer.put("Attributes", DWORD{PRINTER_ATTRIBUTE_LOCAL}) &&
      windows.put("Device", std::string(kTestPrinterName) + ",winspool," + kPort) &&
      // Wine's GDI finds the printer's driver here, by its file name.
      devices.put(kTestPrinterName, std::string("wineps.drv,") + kPort) &&
      fonts.put("Times New Roman", "Liberation Serif");
  return written ? std::string() : "cannot write the printer's registry keys";
}

void routePrintJobs(const std::string& script, const std::string& folder, const std::string& name) {
  Key spooler(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler");
  spooler.put(kPort, "|/bin/sh '" + script + "' '" + folder + "' '" + name + "'");
}

}  // namespace e2e
