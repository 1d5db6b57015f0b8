#pragma once

// Widgets the progress bar's property pages are made of.

#include "controls/host/olecolor.h"

#include <QFrame>
#include <QIcon>
#include <QImage>

// Widgets the property pages are made of, beside the control's own constituents.
namespace tarvix {

// A filled rectangle showing a colour (Shape1, Back, Fore). It keeps the OLE colour as it was set, so
// that a system colour read from the control is written back as a system colour.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    korv::host::OleColor fillColor() const { return color_; }
    void setFillColor(korv::host::OleColor c);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    korv::host::OleColor color_ = 0xFFFFFF;
};

// A picture box with a sunken border (Image3): shows its picture at its natural size from the top-left
// corner of the area inside the border, clipped to it. Children are placed in that inner area's
// coordinates through clientOrigin().
class PreviewBox : public QFrame {
    Q_OBJECT
public:
    explicit PreviewBox(QWidget* parent = nullptr);
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& img);
    QPoint clientOrigin() const { return contentsRect().topLeft(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage picture_;
};

// The face of the small colour buttons that carry no caption.
QIcon colorButtonIcon();

} // namespace tarvix
