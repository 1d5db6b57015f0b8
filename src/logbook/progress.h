#pragma once

// Where long logbook operations report their status texts and progress.

#include <QString>

namespace korv::logbook {

// Where a long logbook operation reports itself: the main form's status line and progress bar, or the
// CLI's output. Values are on the progress bar's own scale (1..100 for a new logbook).
class CreationProgress {
public:
    virtual ~CreationProgress() = default;
    virtual void status(const QString& text) = 0;
    virtual void progress(int value) = 0;
};

// Reports nowhere.
class NoProgress : public CreationProgress {
public:
    void status(const QString&) override {}
    void progress(int) override {}
};

} // namespace korv::logbook
