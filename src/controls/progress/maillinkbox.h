#pragma once

// The e-mail link box of the progress bar's About form.

#include "controls/host/olecolor.h"

#include <QFont>
#include <QImage>
#include <QWidget>

namespace tarvix {

// Picture1 of the About form: a retained drawing box that shows the e-mail link as the form drew it.
// Its tag holds the hover state, "SetCapture" while the pointer is over the link.
class MailLinkBox : public QWidget {
    Q_OBJECT
public:
    explicit MailLinkBox(QWidget* parent = nullptr);

    QString tag;

    void clear();
    // Draws s with its top-left corner at the box's top-left corner.
    void printText(const QString& s, const QFont& font, korv::host::OleColor color);
    // Paints the box on the screen now: the form blocks in its waits right after drawing.
    void refresh() { repaint(); }
    const QImage& canvas() const { return canvas_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void syncCanvas();

    QImage canvas_;
};

} // namespace tarvix
