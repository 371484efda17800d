#pragma once
// Where QCAL.INI lives.
//
// A copy that the user unpacked into a folder of their own keeps its settings beside the program,
// as it always has. A copy installed for all users (in /usr/bin or /opt/...) cannot write there,
// so it keeps them in the user's own configuration directory instead.

#include <QString>

namespace qcal::settings {

inline constexpr char kIniFileName[] = "QCAL.INI";

// The directory of QCAL.INI: programDirectory when QCAL.INI is there already or the directory
// can be written; otherwise configDirectory (created when the file is first written).
QString ChooseIniDirectory(const QString& programDirectory, const QString& configDirectory);

// The choice for this program: its own directory, or the application's configuration directory
// (for example ~/.config/qcal). Needs the application object.
QString DefaultIniDirectory();

} // namespace qcal::settings
