#include "controls/progress/maillinkbox.h"

#include <QFontMetrics>
#include <QPainter>

namespace tarvix {

MailLinkBox::MailLinkBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    canvas_ = QImage(1, 1, QImage::Format_RGB32);
    clear();
}

void MailLinkBox::syncCanvas() {
    const QSize s = size().expandedTo(QSize(1, 1));
    if (s != canvas_.size())
        canvas_ = QImage(s, QImage::Format_RGB32);
}

void MailLinkBox::clear() {
    syncCanvas();
    canvas_.fill(palette().color(QPalette::Window));
}

void MailLinkBox::printText(const QString& s, const QFont& font, korv::host::OleColor color) {
    syncCanvas();
    QPainter p(&canvas_);
    p.setFont(font);
    p.setPen(korv::host::qcolorFromOle(color, palette()));
    p.drawText(QPointF(0, QFontMetricsF(font).ascent()), s);
}

void MailLinkBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, canvas_);
}

} // namespace tarvix
