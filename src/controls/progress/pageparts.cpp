#include "controls/progress/pageparts.h"

#include <QPainter>
#include <QPixmap>

using korv::host::OleColor;
using korv::host::qcolorFromOle;

namespace tarvix {

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
}

void ColorSwatch::setFillColor(OleColor c) {
    color_ = c;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent* e) {
    {
        QPainter p(this);
        p.fillRect(contentsRect(), qcolorFromOle(color_, palette()));
    }
    QFrame::paintEvent(e);
}

PreviewBox::PreviewBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
}

void PreviewBox::setPicture(const QImage& img) {
    picture_ = img;
    update();
}

void PreviewBox::paintEvent(QPaintEvent* e) {
    if (!picture_.isNull()) {
        QPainter p(this);
        const QRect inner = contentsRect();
        p.setClipRect(inner);
        p.drawImage(inner.topLeft(), picture_);
    }
    QFrame::paintEvent(e);
}

QIcon colorButtonIcon() {
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor colours[] = {QColor(220, 40, 40), QColor(40, 160, 60), QColor(40, 80, 220), QColor(240, 200, 40)};
    for (int i = 0; i < 4; ++i)
        p.fillRect((i % 2) * 6, (i / 2) * 6, 6, 6, colours[i]);
    p.setPen(QColor(60, 60, 60));
    p.drawRect(0, 0, 11, 11);
    return QIcon(pm);
}

} // namespace tarvix
