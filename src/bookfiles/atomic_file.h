#pragma once

// Replacing a file so that it is always either the old or the new one: the new content goes into a
// temporary file beside the target, is flushed, and is renamed over the target. No office needed.

#include <QString>
#include <QStringList>

namespace korv::logbook {

enum class ReplacePolicy { Replace, NeverReplace };

class AtomicReplacement {
public:
    // Creates the temporary file (".<name>.<pid>.XXXXXX.tmp") in the target's directory, so that the rename
    // stays on one file system; what killed programs left there first goes. Throws korv::Error when the directory is
    // missing or takes no file, and with NeverReplace when the target exists already.
    AtomicReplacement(const QString& target, ReplacePolicy policy);
    // Removes the temporary file unless it was committed, and an office's lock file of it.
    ~AtomicReplacement();
    AtomicReplacement(const AtomicReplacement&) = delete;
    AtomicReplacement& operator=(const AtomicReplacement&) = delete;

    QString temporaryPath() const { return tmpPath_; }
    QString targetPath() const { return targetPath_; }

    // Gives the temporary file the permissions of the file it replaces (or the usual ones of a new
    // file), flushes it, renames it over the target and flushes the directory. An empty temporary file
    // is refused: whatever wrote it failed. With NeverReplace a target that appeared meanwhile is left
    // alone and the call fails.
    void commit();

private:
    QString targetPath_;
    QString dir_;
    QString tmpPath_;
    ReplacePolicy policy_;
    bool committed_ = false;
};

// The names of the temporary files AtomicReplacement makes for targets whose names match the regular
// expression `targetName`, as a regular expression without anchors: what a killed program leaves behind.
QString temporaryNamePattern(const QString& targetName);

// Removes from `dir` the temporary files (and an office's lock files of them) that AtomicReplacement made
// for processes that no longer run; returns their names.
QStringList removeDeadTemporaries(const QString& dir);

} // namespace korv::logbook
