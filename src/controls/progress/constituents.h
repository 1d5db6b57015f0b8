#pragma once

// The parts the progress bar is drawn with: Picture1, the images and the caption.

#include "controls/host/olecolor.h"

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QWidget>

namespace tarvix {

// Picture1: a retained drawing surface. What is drawn stays in its canvas until it is cleared; the
// bar is filled with the not-xor pen (destination = NOT(destination XOR pen)), so the caption drawn
// before it turns white under the bar. Text is drawn without antialiasing: blended edge pixels would
// not invert to a clean colour.
class StandartSurface : public QWidget {
    Q_OBJECT
public:
    explicit StandartSurface(QWidget* parent = nullptr);

    korv::host::OleColor backColor() const { return back_; }
    korv::host::OleColor foreColor() const { return fore_; }
    // A new background colour clears the surface to it.
    void setBackColor(korv::host::OleColor c);
    void setForeColor(korv::host::OleColor c) { fore_ = c; }

    const QFont& drawingFont() const { return font_; }
    void setDrawingFont(const QFont& f);

    void clear();
    // Draws s with its top-left corner at pos, in the pen colour, on a transparent background.
    void printText(QPointF pos, const QString& s);
    QSizeF textSize(const QString& s) const;
    void fillNotXor(const QRect& box);
    // Paints the canvas on the screen now. The program drives the bar from long operations on the
    // interface thread, where a scheduled paint would wait for the event loop until the work is done.
    void refresh() { repaint(); }

    const QImage& canvas() const { return canvas_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void syncCanvas();

    QImage canvas_;
    korv::host::OleColor back_ = 0xFFFFFF;
    korv::host::OleColor fore_ = 0x800000;
    QFont font_;
};

// Image1 and Image2: a picture that is either scaled to the box (stretch) or shown at its natural size
// from the top-left corner and clipped to the box.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& img);
    bool stretch() const { return stretch_; }
    void setStretch(bool s);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage picture_;
    bool stretch_ = true;
};

// Label1: transparent, centred text, sized to its text.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget* parent = nullptr);
    void setCaption(const QString& s);
    korv::host::OleColor textColor() const { return color_; }
    void setTextColor(korv::host::OleColor c);
    void setCaptionFont(const QFont& f);

private:
    korv::host::OleColor color_ = 0x80000012;
};

} // namespace tarvix
