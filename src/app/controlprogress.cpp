#include "app/controlprogress.h"

#include "controls/host/controlerror.h"

#include <QCoreApplication>
#include <QLabel>

namespace korv::app {

ControlProgress::ControlProgress(host::Control* bar, QLabel* statusLabel)
    : bar_(bar), barWidget_(bar != nullptr ? bar->widget() : nullptr), label_(statusLabel) {}

void ControlProgress::status(const QString& text) {
    if (label_.isNull())
        return;
    label_->setText(text);
    paintNow(label_);
}

void ControlProgress::progress(int value) { put(tarvix_disp::Value, value); }

void ControlProgress::setRange(int min, int max) {
    // Min goes to 0 first, so that Max can be put whatever the old range was (the bar refuses Max <= Min).
    put(tarvix_disp::Min, 0);
    put(tarvix_disp::Max, max);
    put(tarvix_disp::Min, min);
}

void ControlProgress::put(host::DispId id, int value) {
    if (bar_ == nullptr || barWidget_.isNull())
        return;
    try {
        bar_->put(id, value);
    } catch (const host::ControlError&) {
        // A value outside the bar's range leaves the bar as it was; the work goes on.
    }
    paintNow(barWidget_);
}

void ControlProgress::paintNow(QWidget* w) {
    if (w->isVisible())
        w->repaint();
    // Expose events and the window manager's pings are answered; input waits for the end of the work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace korv::app
