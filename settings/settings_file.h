#pragma once
// The settings file of one window for one session.
//
// It is read once at start. Saves are queued and written by a thread of its own, so that a click
// shows its figures without waiting for the disk: each save is one replacement of the file (saves
// that queue up while a write is running go together into the next one), and Finish waits for
// all of them, as the window does before it closes and the tests do before they read the file.
//
// What could not be done is kept for the window to tell once:
// - a file that is there but cannot be read locks the session: it runs on the defaults and never
//   writes the file, which would throw away what the user stored;
// - a save that fails keeps its values and sends them again with the next save; the first failure
//   is reported, later ones are not until a save has succeeded again.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <QObject>
#include <QString>

#include "settings/profile_file.h"

namespace qcal::settings {

class SettingsFile {
public:
    SettingsFile(QString path, QString section);
    // Finishes every queued write; failures are no longer reported.
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const QString& Path() const { return path_; }
    const QString& SectionName() const { return section_; }

    // Reads the file. One that is there but cannot be read locks the session (and reads empty).
    Profile Load();
    // Gives the file up for this session: what it holds cannot be kept by a save (a value too long
    // to read back whole, for example), so nothing is written to it any more.
    void Lock();
    bool Locked() const { return locked_; }
    // True once after the session was locked: the caller tells the user.
    bool TakeLockNotice();

    // Queues entries as one write and returns at once; a key given again replaces its earlier
    // value. Nothing is queued while the session is locked. A value too long to read back whole is
    // not saved (the next start would have to refuse the file): it counts as a failed write.
    void Save(const std::vector<ProfileEntry>& entries);
    // Waits until every queued write has been done, then reports its outcome.
    void Finish();

    // Called in the thread that made this object, for the first failing write after a success
    // (or after the start).
    void OnFirstFailure(std::function<void()> handler) { onFirstFailure_ = std::move(handler); }

    // Finish for every settings file alive (of this thread).
    static void FinishAll();

private:
    void Run();
    void Deliver();

    const QString path_;
    const QString section_;
    bool locked_ = false;
    bool lockNoticeDue_ = false;
    bool failing_ = false;
    std::function<void()> onFirstFailure_;
    QObject context_;  // where the writer's outcomes are delivered

    std::mutex mutex_;
    std::condition_variable wake_;   // the writer: something to write, or stop
    std::condition_variable idle_;   // Finish: the queue is empty and no write runs
    std::vector<ProfileEntry> queued_;
    std::vector<ProfileEntry> unsaved_;  // of writes that failed: they go with the next one
    std::vector<bool> outcomes_;         // not yet delivered, oldest first
    bool writing_ = false;
    bool stop_ = false;
    std::thread writer_;
};

} // namespace qcal::settings
