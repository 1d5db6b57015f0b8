#pragma once

// The progress adaptor: status texts and progress values on a form's label and TarvixProgress bar.

#include "controls/host/control.h"
#include "controls/progress/tarvix_ids.h"
#include "logbook/progress.h"
#include "totals/progress.h"

#include <QPointer>

class QLabel;

namespace korv::app {

// Reports a long logbook operation on a form: the status text in its label and the value on its
// TarvixProgress bar (Min, Max and Value put by DISPID, as a late-bound caller does). Each report is painted at once
// and the window answers the desktop between steps, so it never stands grey while the operation blocks; the pilot's
// clicks and keys wait until the operation is over. A value outside the bar's range is shown as the
// nearer end: the totals report a few steps past the range they set, and the bar takes 16-bit values only.
class ControlProgress : public logbook::CreationProgress, public totals::TotalsProgress {
public:
    // bar may be null (the control could not be placed): only the status is shown then.
    ControlProgress(host::Control* bar, QLabel* statusLabel);

    void status(const QString& text) override;
    void progress(int value) override;
    // Min and Max of the bar. When the bar refuses one, the range it keeps is the one values are held to.
    void setRange(int min, int max);

    // The totals run's names for the same.
    void range(int min, int max) override { setRange(min, max); }
    void value(int v) override { progress(v); }

private:
    void put(host::DispId id, int value);
    int get(host::DispId id, int fallback);
    static void paintNow(QWidget* w);

    host::Control* bar_;
    QPointer<QWidget> barWidget_;
    QPointer<QLabel> label_;
    int min_ = 0;
    int max_ = 0;
};

} // namespace korv::app
