#include "controls/progress/constituents.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QResizeEvent>

using korv::host::OleColor;
using korv::host::qcolorFromOle;

namespace tarvix {

namespace {

QFont aliasedCopy(QFont f) {
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

} // namespace

StandartSurface::StandartSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_ = QImage(1, 1, QImage::Format_RGB32);
    clear();
}

void StandartSurface::setBackColor(OleColor c) {
    back_ = c;
    clear();
}

void StandartSurface::setDrawingFont(const QFont& f) { font_ = f; }

void StandartSurface::syncCanvas() {
    // The canvas follows the surface's size and keeps what was drawn where it still fits. It is
    // synchronised on every drawing operation, because a hidden widget gets its resize event only
    // when it is shown, and the control draws before that.
    const QSize s = size().expandedTo(QSize(1, 1));
    if (s == canvas_.size())
        return;
    QImage next(s, QImage::Format_RGB32);
    next.fill(qcolorFromOle(back_, palette()));
    {
        QPainter p(&next);
        p.drawImage(0, 0, canvas_);
    }
    canvas_ = next;
}

void StandartSurface::clear() {
    syncCanvas();
    canvas_.fill(qcolorFromOle(back_, palette()));
}

QSizeF StandartSurface::textSize(const QString& s) const {
    const QFontMetricsF fm(aliasedCopy(font_));
    return {fm.horizontalAdvance(s), fm.height()};
}

void StandartSurface::printText(QPointF pos, const QString& s) {
    syncCanvas();
    QPainter p(&canvas_);
    const QFont f = aliasedCopy(font_);
    p.setFont(f);
    p.setPen(qcolorFromOle(fore_, palette()));
    p.drawText(QPointF(pos.x(), pos.y() + QFontMetricsF(f).ascent()), s);
}

void StandartSurface::fillNotXor(const QRect& box) {
    syncCanvas();
    QPainter p(&canvas_);
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.fillRect(box, qcolorFromOle(fore_, palette()));
}

void StandartSurface::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, canvas_);
}

void StandartSurface::resizeEvent(QResizeEvent*) { syncCanvas(); }

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::setPicture(const QImage& img) {
    picture_ = img;
    update();
}

void PictureBox::setStretch(bool s) {
    stretch_ = s;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter p(this);
    if (stretch_)
        p.drawImage(rect(), picture_);
    else
        p.drawImage(0, 0, picture_);
}

CaptionLabel::CaptionLabel(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("Label1"));
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setTextColor(color_);
}

void CaptionLabel::setCaption(const QString& s) {
    setText(s);
    adjustSize();
}

void CaptionLabel::setTextColor(OleColor c) {
    color_ = c;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, qcolorFromOle(c, QGuiApplication::palette()));
    setPalette(pal);
}

void CaptionLabel::setCaptionFont(const QFont& f) {
    setFont(f);
    adjustSize();
}

} // namespace tarvix
