#pragma once

// The progress adaptor: status texts and progress values on a form's label and TarvixProgress bar.

#include "controls/host/control.h"
#include "logbook/progress.h"

#include <QPointer>

class QLabel;

namespace korv::app {

// The dispatch identifiers of the progress-bar control that the program calls, fixed by the control's
// type library; the forms reach the bar through them only, as a late-bound caller does.
namespace tarvix_disp {
inline constexpr host::DispId Max = 0x68030002;
inline constexpr host::DispId Min = 0x68030003;
inline constexpr host::DispId Value = 0x6803000E;
} // namespace tarvix_disp

// Reports a long logbook operation on a form: the status text in its label and the value on its
// TarvixProgress bar (Value put by DISPID). Each report is painted at once and the window answers
// the desktop between steps, so it never stands grey while the operation blocks; the pilot's clicks
// and keys wait until the operation is over.
class ControlProgress : public logbook::CreationProgress {
public:
    // bar may be null (the control could not be placed): only the status is shown then.
    ControlProgress(host::Control* bar, QLabel* statusLabel);

    void status(const QString& text) override;
    void progress(int value) override;
    // Min and Max of the bar.
    void setRange(int min, int max);

private:
    void put(host::DispId id, int value);
    static void paintNow(QWidget* w);

    host::Control* bar_;
    QPointer<QWidget> barWidget_;
    QPointer<QLabel> label_;
};

} // namespace korv::app
