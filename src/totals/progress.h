#pragma once

// Where a totals run reports itself: the status label and the progress bar of the totals form, or the
// CLI's record of them.

#include <QString>
#include <QStringList>

namespace korv::totals {

class TotalsProgress {
public:
    virtual ~TotalsProgress() = default;
    virtual void status(const QString& text) = 0;
    // The progress bar's Min and Max, then its Value.
    virtual void range(int min, int max) = 0;
    virtual void value(int v) = 0;
};

// Reports nowhere.
class NoTotalsProgress : public TotalsProgress {
public:
    void status(const QString&) override {}
    void range(int, int) override {}
    void value(int) override {}
};

// Keeps the status texts in order, a text repeated at once counted once; the bar goes nowhere.
class RecordedStatus : public TotalsProgress {
public:
    void status(const QString& text) override {
        if (texts.isEmpty() || texts.back() != text)
            texts << text;
    }
    void range(int, int) override {}
    void value(int) override {}
    QStringList texts;
};

} // namespace korv::totals
