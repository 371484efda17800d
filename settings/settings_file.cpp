#include "settings/settings_file.h"

#include <algorithm>
#include <iterator>

namespace qcal::settings {
namespace {

// Every settings file alive, for FinishAll. They are made and destroyed in the window's thread.
std::vector<SettingsFile*>& Alive()
{
    static std::vector<SettingsFile*> alive;
    return alive;
}

// Adds the newer entries to older ones: a key already there takes the newer value in its place,
// a new key goes at the end.
void Merge(std::vector<ProfileEntry>& older, const std::vector<ProfileEntry>& newer)
{
    for (const ProfileEntry& entry : newer) {
        const auto same = std::find_if(older.begin(), older.end(), [&](const ProfileEntry& e) {
            return e.key.compare(entry.key, Qt::CaseInsensitive) == 0;
        });
        if (same != older.end())
            same->value = entry.value;
        else
            older.push_back(entry);
    }
}

} // namespace

SettingsFile::SettingsFile(QString path, QString section) : path_(std::move(path)), section_(std::move(section))
{
    Alive().push_back(this);
}

SettingsFile::~SettingsFile()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (writer_.joinable())
        writer_.join();
    std::erase(Alive(), this);
}

Profile SettingsFile::Load()
{
    Profile profile = Profile::Load(path_);
    if (profile.State() == FileState::Unreadable)
        Lock();
    return profile;
}

void SettingsFile::Lock()
{
    const std::lock_guard lock(mutex_);
    if (!locked_)
        lockNoticeDue_ = true;
    locked_ = true;
    queued_.clear();
    unsaved_.clear();
}

bool SettingsFile::TakeLockNotice()
{
    const bool due = lockNoticeDue_;
    lockNoticeDue_ = false;
    return due;
}

void SettingsFile::Save(const std::vector<ProfileEntry>& entries)
{
    if (locked_ || entries.empty())
        return;
    std::vector<ProfileEntry> whole;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(whole),
                 [](const ProfileEntry& e) { return ReadsWhole(e.value); });
    {
        const std::lock_guard lock(mutex_);
        Merge(queued_, whole);
        if (whole.size() < entries.size()) {
            outcomes_.push_back(false);
            QMetaObject::invokeMethod(&context_, [this] { Deliver(); }, Qt::QueuedConnection);
        }
    }
    if (whole.empty())
        return;
    if (!writer_.joinable())
        writer_ = std::thread([this] { Run(); });
    wake_.notify_one();
}

void SettingsFile::Finish()
{
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return queued_.empty() && !writing_; });
    }
    Deliver();
}

void SettingsFile::FinishAll()
{
    // A handler's message box may end with a window closing and its settings file going away.
    const std::vector<SettingsFile*> files = Alive();
    for (SettingsFile* file : files) {
        if (std::find(Alive().begin(), Alive().end(), file) != Alive().end())
            file->Finish();
    }
}

void SettingsFile::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !queued_.empty() || stop_; });
        if (queued_.empty())
            break;
        // What failed before goes again, under what was saved since.
        std::vector<ProfileEntry> batch = std::move(unsaved_);
        unsaved_.clear();
        Merge(batch, queued_);
        queued_.clear();
        writing_ = true;
        lock.unlock();
        const bool ok = WriteProfileStrings(path_, section_, batch);
        lock.lock();
        writing_ = false;
        if (!ok)
            unsaved_ = std::move(batch);
        outcomes_.push_back(ok);
        QMetaObject::invokeMethod(&context_, [this] { Deliver(); }, Qt::QueuedConnection);
        if (queued_.empty())
            idle_.notify_all();
    }
    idle_.notify_all();
}

void SettingsFile::Deliver()
{
    std::vector<bool> outcomes;
    {
        const std::lock_guard lock(mutex_);
        outcomes.swap(outcomes_);
    }
    bool tell = false;
    for (const bool ok : outcomes) {
        tell = tell || (!ok && !failing_);
        failing_ = !ok;
    }
    // A failure that a later write made good (it sent the same values again) is not worth a word.
    if (tell && failing_ && onFirstFailure_)
        onFirstFailure_();
}

} // namespace qcal::settings
