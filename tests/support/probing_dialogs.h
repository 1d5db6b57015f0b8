#pragma once

// Dialogs that look around while a box is up: what the pilot's reading time lets other programs do.

#include "common/dialogs.h"

#include <functional>

namespace korv::testsupport {

// Records and answers as RecordingDialogs does, running `probe` first whenever a box is shown.
class ProbingDialogs : public RecordingDialogs {
public:
    std::function<void()> probe;

    void message(const QString& title, const QString& text, Icon icon) override {
        if (probe)
            probe();
        RecordingDialogs::message(title, text, icon);
    }
    bool question(const QString& title, const QString& text) override {
        if (probe)
            probe();
        return RecordingDialogs::question(title, text);
    }
    std::optional<int> choice(const QString& title, const QString& prompt, const QStringList& items) override {
        if (probe)
            probe();
        return RecordingDialogs::choice(title, prompt, items);
    }
};

} // namespace korv::testsupport
