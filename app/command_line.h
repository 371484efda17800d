#pragma once
// The program without a window: importing a statement into the journal, auditing a statement's
// fees, exporting the journal. Runs on a QCoreApplication only, so it needs no display.
//
//   qcal --import FILE             imports into the journal of the settings folder, prints the summary
//   qcal --audit FILE              prints the fee audit of a statement as CSV (UTF-8), imports nothing
//   qcal --export journal|holdings FILE
//   --encoding gbk|utf-8           the statement's encoding (default: found from its bytes); for
//                                  --export, the CSV's (default: UTF-8 with a byte-order mark)
// Exit status 0 when the work was done, 1 with one line on stderr when it was refused (an unreadable
// file, a needed column not found, a damaged journal, arguments that make no sense).
//
// The settings folder is the window's (settings/ini_location.h, where QCAL_SETTINGS_DIR may name it).

namespace qcal::app {

// Whether the arguments ask for the command line rather than the window.
bool WantsCommandLine(int argc, char* argv[]);

int RunCommandLine(int argc, char* argv[]);

} // namespace qcal::app
