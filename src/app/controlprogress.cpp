#include "app/controlprogress.h"

#include "controls/host/controlerror.h"

#include <QCoreApplication>
#include <QLabel>

#include <algorithm>

namespace korv::app {

ControlProgress::ControlProgress(host::Control* bar, QLabel* statusLabel)
    : bar_(bar), barWidget_(bar != nullptr ? bar->widget() : nullptr), label_(statusLabel) {
    min_ = get(tarvix::DispMin, 0);
    max_ = get(tarvix::DispMax, 100);
}

void ControlProgress::status(const QString& text) {
    if (label_.isNull())
        return;
    label_->setText(text);
    paintNow(label_);
}

void ControlProgress::progress(int value) { put(tarvix::DispValue, std::clamp(value, min_, std::max(min_, max_))); }

void ControlProgress::setRange(int min, int max) {
    // Min goes to 0 first, so that Max can be put whatever the old range was (the bar refuses Max <= Min).
    put(tarvix::DispMin, 0);
    put(tarvix::DispMax, max);
    put(tarvix::DispMin, min);
    min_ = get(tarvix::DispMin, min);
    max_ = get(tarvix::DispMax, max);
}

void ControlProgress::put(host::DispId id, int value) {
    if (bar_ == nullptr || barWidget_.isNull())
        return;
    try {
        bar_->put(id, value);
    } catch (const host::ControlError&) {
        // A value the bar cannot take leaves the bar as it was; the work goes on.
    }
    paintNow(barWidget_);
}

int ControlProgress::get(host::DispId id, int fallback) {
    if (bar_ == nullptr || barWidget_.isNull())
        return fallback;
    try {
        return bar_->get(id).toInt();
    } catch (const host::ControlError&) {
        return fallback;
    }
}

void ControlProgress::paintNow(QWidget* w) {
    if (w->isVisible())
        w->repaint();
    // Expose events and the window manager's pings are answered; input waits for the end of the work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace korv::app
