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

#include <span>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace qcal::settings {

// Replaces the content of the file at path with bytes; creates the file (and its directory) when
// missing. A symbolic link is followed, to the end of a chain of links: its target is replaced (or
// created, when the link dangles) and the link stays; a loop of links fails. A file we may not write
// is not replaced: one made read-only (no write permission for anyone, which root would otherwise
// ignore), or one our access rights do not let us write. Returns false, with the old file
// untouched, when any step fails.
bool ReplaceFileContent(const QString& path, const QByteArray& bytes);
// The same with the content given as pieces, written one after the other.
bool ReplaceFileContent(const QString& path, std::span<const QByteArrayView> pieces);

// Removes what writers that died left of their temporaries beside the file at path (a replacement
// does it too; a save that finds nothing to change calls it instead).
void RemoveStaleTemporariesOf(const QString& path);

// Whether fileName is one of our temporaries for the file called baseName.
bool IsTemporaryOf(const QString& fileName, const QString& baseName);

} // namespace qcal::settings
