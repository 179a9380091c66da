#pragma once
// A printer for the tests, defined only in Wine's registry: Wine's PostScript
// driver (wineps.drv) with a small PPD of ours, set as the default printer, its
// port "LPT1:" mapped by Wine's spooler to a shell command that turns each job
// into PDF, text and PNG pages. Times New Roman is mapped to the metric-compatible
// Liberation Serif, which Wine has here.
#include <string>

namespace e2e {

inline constexpr const char* kTestPrinterName = "Parvex Test Printer";

// Installs the printer and makes it the default; an empty text on success, else
// what failed.
std::string installTestPrinter(const std::string& ppdFile);

// The jobs printed from now on go through "/bin/sh <script> <folder> <name>"
// (Linux paths): <folder>/<name>.txt, .pdf, -page-N.png, and <name>.done last.
void routePrintJobs(const std::string& script, const std::string& folder, const std::string& name);

}  // namespace e2e
