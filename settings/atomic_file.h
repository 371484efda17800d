#pragma once
// Replacing a small file so that it is never seen half written.
//
// The new content goes into a temporary file beside the old one (same directory, so the rename
// stays on one file system), is synced, and is renamed over the old file: a crash, a kill or a
// full disk at any moment leaves either the old or the new content, never a mix or an empty file.
// Where no temporary file can be made (a read-only directory) the replacement fails: writing the
// old file in place could be cut short and lose what it held.
//
// Temporaries are named "<name>.~XXXXXX.tmp" and hold an advisory lock while their writer lives,
// so a later replacement can tell a dead writer's leftover from a live one's and removes it.

#include <QByteArray>
#include <QString>

namespace qcal::settings {

// Replaces the content of the file at path with bytes; creates the file (and its directory) when
// missing. A symbolic link is followed: its target is replaced and the link stays. A file we may not
// write (made read-only) is not replaced. Returns false, with the old file untouched, when any step
// fails.
bool ReplaceFileContent(const QString& path, const QByteArray& bytes);

// Removes what writers that died left of their temporaries beside the file at path (a replacement
// does it too; a save that finds nothing to change calls it instead).
void RemoveStaleTemporariesOf(const QString& path);

// Whether fileName is one of our temporaries for the file called baseName.
bool IsTemporaryOf(const QString& fileName, const QString& baseName);

} // namespace qcal::settings
