#include "controls/progress/tarvixprogress.h"

#include "controls/host/controlerror.h"
#include "controls/host/convert.h"
#include "controls/progress/constituents.h"
#include "controls/progress/f_about.h"
#include "controls/progress/progress_rules.h"
#include "controls/progress/standartpage.h"
#include "controls/progress/tarvixpage.h"

#include <QApplication>

#include <atomic>

using korv::host::ControlError;
using korv::host::DispId;
using korv::host::MemberInfo;
using namespace tarvix;

namespace {
std::atomic<int> g_live{0};
}

TarvixProgress::TarvixProgress(korv::host::ControlSite* site, QWidget* parent)
    : QFrame(parent), site_(site), picture1_(new StandartSurface(this)), label1_(new CaptionLabel(this)),
      image1_(new PictureBox(this)), image2_(new PictureBox(this)) {
    ++g_live;
    image1_->setObjectName(QStringLiteral("Image1"));
    image2_->setObjectName(QStringLiteral("Image2"));
    // Stacking, top first: Picture1, Label1, Image1, Image2.
    image2_->lower();
    image1_->raise();
    label1_->raise();
    picture1_->raise();
    label1_->setCaption(QStringLiteral("100%"));
    picture1_->setDrawingFont(label1_->font());
    applyStyleVisibility();
    // The border follows BorderStyle from the start, so a new control looks as its property says.
    applyBorder();
    resize(200, 24);
}

TarvixProgress::~TarvixProgress() { --g_live; }

int TarvixProgress::liveInstances() { return g_live.load(); }

void TarvixProgress::notify(const char* name) {
    if (site_ != nullptr)
        site_->propertyChanged(QString::fromLatin1(name));
}

QRect TarvixProgress::client() const { return contentsRect(); }

void TarvixProgress::computePercent() { percent_ = wholePercent(value_, min_, max_, invert_); }

QString TarvixProgress::captionNow() const { return captionText(text_, percent_); }

QString TarvixProgress::labelCaption() const { return label1_->text(); }

void TarvixProgress::applyStyleVisibility() {
    const bool tarvixLook = style_ != 0;
    picture1_->setVisible(!tarvixLook);
    image1_->setVisible(tarvixLook);
    image2_->setVisible(tarvixLook);
}

void TarvixProgress::applyBorder() {
    switch (borderStyle_) {
    case None:
        setFrameStyle(QFrame::NoFrame);
        break;
    case Flat:
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        break;
    case ThreeD:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
        break;
    default:
        break; // other values are kept but leave the border as it was
    }
}

void TarvixProgress::copyFontToSurface() {
    const QFont src = label1_->font();
    QFont f = picture1_->drawingFont();
    f.setFamily(src.family());
    f.setBold(src.bold());
    f.setItalic(src.italic());
    if (src.pointSizeF() > 0)
        f.setPointSizeF(src.pointSizeF());
    else
        f.setPixelSize(src.pixelSize());
    f.setStrikeOut(src.strikeOut());
    f.setUnderline(src.underline());
    picture1_->setDrawingFont(f);
}

QFont TarvixProgress::ambientFont() const {
    if (site_ != nullptr)
        if (const auto f = site_->ambientFont())
            return *f;
    return QApplication::font();
}

// ---- layout and drawing ---------------------------------------------------------------------------

void TarvixProgress::Resize() {
    const QRect c = client();
    const int w = c.width();
    const int h = c.height();
    image1_->setGeometry(c.x(), c.y(), barPixels(value_, min_, max_, w), h);
    image2_->setGeometry(c.x(), c.y(), w, h);
    picture1_->setGeometry(c.x(), c.y(), w, h);
    DrawStandartBar();
    label1_->move(c.x() + int(korv::host::roundHalfEven(w / 2.0 - label1_->width() / 2.0)),
                  c.y() + int(korv::host::roundHalfEven(h / 2.0 - label1_->height() / 2.0)));
}

void TarvixProgress::DrawStandartBar() {
    picture1_->clear();
    DrawCaption();
    const QSize s = picture1_->size();
    picture1_->fillNotXor(QRect(0, 0, barPixels(value_, min_, max_, s.width()), s.height()));
    picture1_->refresh();
}

void TarvixProgress::DrawCaption() {
    if (!captionVisible_)
        return;
    const QString s = captionNow();
    const QSizeF ts = picture1_->textSize(s);
    const QSize area = picture1_->size();
    picture1_->printText(QPointF(area.width() / 2.0 - ts.width() / 2.0, area.height() / 2.0 - ts.height() / 2.0), s);
    label1_->setCaption(s);
}

void TarvixProgress::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    // A loaded pair of bounds that cannot be divided by leaves the display as it was; the error has
    // already been reported to whoever loaded it.
    try {
        Resize();
    } catch (const ControlError&) {
    }
}

// ---- puts -------------------------------------------------------------------------------------------

void TarvixProgress::setValue(std::int16_t v) {
    value_ = v;
    notify("Value");
    if (value_ < min_)
        value_ = min_;
    const QRect c = client();
    if (min_ < value_ && value_ <= max_) {
        computePercent();
        image1_->setGeometry(c.x(), c.y(), barPixels(value_, min_, max_, c.width()), c.height());
        Resize();
    }
    if (value_ == min_) {
        // An empty bar: drawn directly, without laying the control out again.
        image1_->setGeometry(c.x(), c.y(), 0, c.height());
        percent_ = invert_ ? 100 : 0;
        picture1_->clear();
        DrawCaption();
        picture1_->refresh();
    }
    if (value_ > max_) {
        value_ = max_;
        computePercent();
        image1_->setGeometry(c.x(), c.y(), c.width(), c.height());
        Resize();
    }
    label1_->setCaption(captionNow());
}

namespace {

// Max + 1 where the bounds must move apart; past 32767 that is the runtime's overflow.
std::int16_t above(std::int16_t v) {
    if (v == 32767)
        throw ControlError::overflow();
    return std::int16_t(v + 1);
}

} // namespace

// Both bound puts work out the new bounds, the counter and the percentage before they store anything:
// Min = 32767 (or a Max put under a loaded Min of 32767) would need a bound of 32768, and a bound that
// failed half-way would leave Max <= Min and a control that cannot be drawn.
void TarvixProgress::setMin(std::int16_t v) {
    const std::int16_t newMin = v < 0 ? std::int16_t(0) : v;
    std::int16_t newMax = max_;
    if (newMax < newMin)
        newMax = above(newMin);
    if (newMax == newMin)
        newMax = above(newMax);
    const std::int16_t newValue = value_ < newMin ? newMin : value_;
    const std::int16_t newPercent = wholePercent(newValue, newMin, newMax, invert_);
    min_ = newMin;
    max_ = newMax;
    value_ = newValue;
    percent_ = newPercent;
    Resize();
    notify("Min");
}

void TarvixProgress::setMax(std::int16_t v) {
    std::int16_t newMax = v < 1 ? std::int16_t(1) : v;
    if (newMax < min_)
        newMax = above(min_);
    if (newMax == min_)
        newMax = above(newMax);
    const std::int16_t newValue = value_ > newMax ? newMax : value_;
    const std::int16_t newPercent = wholePercent(newValue, min_, newMax, invert_);
    max_ = newMax;
    value_ = newValue;
    percent_ = newPercent;
    Resize();
    notify("Max");
}

void TarvixProgress::setInvertPersent(bool v) {
    invert_ = v;
    computePercent();
    Resize();
    notify("InvertPersent");
}

void TarvixProgress::setBarStyle(std::int32_t v) {
    style_ = v;
    notify("Style");
    if (style_ == 0)
        computePercent();
    applyStyleVisibility();
    Resize();
}

void TarvixProgress::setBorderStyle(std::int16_t v) {
    borderStyle_ = v;
    applyBorder();
    Resize();
    notify("BorderStyle");
}

void TarvixProgress::setText(const QString& v) {
    text_ = v;
    notify("Text");
    label1_->setCaption(captionNow());
    Resize();
}

QFont TarvixProgress::captionFont() const { return label1_->font(); }

void TarvixProgress::setCaptionFont(const QFont& f) {
    label1_->setCaptionFont(f);
    copyFontToSurface();
    notify("Font");
    Resize();
}

TarvixProgress::OleColor TarvixProgress::color() const { return label1_->textColor(); }

void TarvixProgress::setColor(OleColor c) {
    label1_->setTextColor(c);
    notify("Color");
}

QImage TarvixProgress::picture() const { return image1_->picture(); }

void TarvixProgress::setPicture(const QImage& img) {
    image1_->setPicture(img);
    Resize();
    notify("Picture");
}

bool TarvixProgress::stretch() const { return image1_->stretch(); }

void TarvixProgress::setStretch(bool s) {
    image1_->setStretch(s);
    Resize();
    notify("Stretch");
}

QImage TarvixProgress::backPicture() const { return image2_->picture(); }

void TarvixProgress::setBackPicture(const QImage& img) {
    image2_->setPicture(img);
    Resize();
    notify("BackPicture");
}

bool TarvixProgress::backStretch() const { return image2_->stretch(); }

void TarvixProgress::setBackStretch(bool s) {
    image2_->setStretch(s);
    Resize();
    notify("BackStretch");
}

TarvixProgress::OleColor TarvixProgress::backColor() const { return picture1_->backColor(); }

void TarvixProgress::setBackColor(OleColor c) {
    picture1_->setBackColor(c);
    Resize();
    notify("BackColor");
}

TarvixProgress::OleColor TarvixProgress::foreColor() const { return picture1_->foreColor(); }

void TarvixProgress::setForeColor(OleColor c) {
    picture1_->setForeColor(c);
    Resize();
    notify("ForeColor");
}

void TarvixProgress::setCaptionVisible(bool v) {
    captionVisible_ = v;
    label1_->setVisible(v);
    Resize();
    notify("CaptionVisible");
}

// ---- About ------------------------------------------------------------------------------------------

void TarvixProgress::AboutBox() {
    if (aboutHandler_) {
        aboutHandler_();
        return;
    }
    f_About form(this);
    form.exec();
}

QStringList TarvixProgress::propertyPageNames() const {
    return {QStringLiteral("Tarvix"), QStringLiteral("Standart"), QStringLiteral("Font")};
}

korv::host::PropertyPage* TarvixProgress::createPropertyPage(const QString& name, QWidget* parent) {
    if (name == QLatin1String("Tarvix"))
        return new TarvixPage(parent);
    if (name == QLatin1String("Standart"))
        return new StandartPage(parent);
    return nullptr;
}
