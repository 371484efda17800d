#pragma once
// Where QCAL.INI lives, and the trade journal beside it.
//
// A copy that the user unpacked into a folder of their own keeps its settings beside the program,
// as it always has. A copy installed for all users (in /usr/bin or /opt/...) keeps them in the
// user's own configuration directory: it cannot write beside itself, and one started with sudo,
// which could, must not leave a settings file among the system's programs.

#include <QString>

namespace qcal::settings {

inline constexpr char kIniFileName[] = "QCAL.INI";
// The trade journal, beside it (settings/journal_store.h).
inline constexpr char kJournalFileName[] = "journal.db";
// The name of the installed menu entry (<prefix>/share/applications/<id>.desktop).
inline constexpr char kDesktopFileId[] = "io.github.qcal.Qcal";

// True when the program in programDirectory was installed: its menu entry lies in the share
// directory beside its bin directory.
bool IsInstalledCopy(const QString& programDirectory);

// The directory of QCAL.INI: configDirectory (created when the file is first written) for an
// installed copy; otherwise programDirectory when QCAL.INI is there already or the directory can
// be written, else configDirectory.
QString ChooseIniDirectory(const QString& programDirectory, const QString& configDirectory);

// The choice for this program: the folder the environment variable QCAL_SETTINGS_DIR names, else
// its own directory or the application's configuration directory (for example ~/.config/qcal).
// The window and the command line alike. Needs the application object.
QString DefaultIniDirectory();

} // namespace qcal::settings
