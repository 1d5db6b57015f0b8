// First placement, saving and loading of TarvixProgress. Loading sets the fields directly, without
// the clamping and the notices of the puts, so a saved form comes back exactly as it was saved.
#include "controls/host/convert.h"
#include "controls/progress/constituents.h"
#include "controls/progress/progress_rules.h"
#include "controls/progress/tarvixprogress.h"

using namespace korv::host;
using namespace tarvix;

namespace {

constexpr OleColor kDefaultColor = 0x80000012; // button text
constexpr OleColor kDefaultBackColor = 0xFFFFFF;
constexpr OleColor kDefaultForeColor = 0x800000;
constexpr std::int16_t kDefaultValue = 100;
constexpr std::int16_t kDefaultMin = 0;
constexpr std::int16_t kDefaultMax = 100;
constexpr std::int32_t kDefaultStyle = Tarvix;
constexpr std::int16_t kDefaultBorderStyle = ThreeD;

} // namespace

void TarvixProgress::initProperties() {
    value_ = kDefaultValue;
    text_.clear();
    picture1_->setBackColor(kDefaultBackColor);
    picture1_->setForeColor(kDefaultForeColor);
    style_ = kDefaultStyle;
    invert_ = false;
    min_ = kDefaultMin;
    max_ = kDefaultMax;
    borderStyle_ = kDefaultBorderStyle;
    computePercent();
}

void TarvixProgress::writeProperties(PropertyBag& bag) const {
    bag.writeProperty(QStringLiteral("Value"), int16Variant(value_), int16Variant(kDefaultValue));
    bag.writeProperty(QStringLiteral("Font"), label1_->font(), ambientFont());
    bag.writeProperty(QStringLiteral("Color"), colorVariant(label1_->textColor()), colorVariant(kDefaultColor));
    bag.writeProperty(QStringLiteral("Picture"), pictureVariant(image1_->picture()), QVariant());
    bag.writeProperty(QStringLiteral("Stretch"), image1_->stretch(), true);
    bag.writeProperty(QStringLiteral("BackPicture"), pictureVariant(image2_->picture()), QVariant());
    bag.writeProperty(QStringLiteral("BackStretch"), image2_->stretch(), true);
    bag.writeProperty(QStringLiteral("CaptionVisible"), captionVisible_, true);
    bag.writeProperty(QStringLiteral("Text"), text_, QString());
    bag.writeProperty(QStringLiteral("Style"), QVariant::fromValue<int>(style_),
                      QVariant::fromValue<int>(kDefaultStyle));
    bag.writeProperty(QStringLiteral("BackColor"), colorVariant(picture1_->backColor()),
                      colorVariant(kDefaultBackColor));
    bag.writeProperty(QStringLiteral("ForeColor"), colorVariant(picture1_->foreColor()),
                      colorVariant(kDefaultForeColor));
    bag.writeProperty(QStringLiteral("InvertPersent"), invert_, false);
    bag.writeProperty(QStringLiteral("Min"), int16Variant(min_), int16Variant(kDefaultMin));
    bag.writeProperty(QStringLiteral("Max"), int16Variant(max_), int16Variant(kDefaultMax));
    bag.writeProperty(QStringLiteral("BorderStyle"), int16Variant(borderStyle_), int16Variant(kDefaultBorderStyle));
}

void TarvixProgress::readProperties(const PropertyBag& bag) {
    auto read = [&bag](const char* name, const QVariant& def) {
        return bag.readProperty(QString::fromLatin1(name), def);
    };
    value_ = toInt16(read("Value", int16Variant(kDefaultValue)));
    label1_->setCaptionFont(toFont(read("Font", ambientFont())));
    label1_->setTextColor(toOleColor(read("Color", colorVariant(kDefaultColor))));
    image1_->setPicture(toPicture(read("Picture", QVariant())));
    image1_->setStretch(toBool(read("Stretch", true)));
    image2_->setPicture(toPicture(read("BackPicture", QVariant())));
    image2_->setStretch(toBool(read("BackStretch", true)));
    captionVisible_ = toBool(read("CaptionVisible", true));
    label1_->setVisible(captionVisible_);
    picture1_->setBackColor(toOleColor(read("BackColor", colorVariant(kDefaultBackColor))));
    picture1_->setForeColor(toOleColor(read("ForeColor", colorVariant(kDefaultForeColor))));
    text_ = toText(read("Text", QString()));
    style_ = toInt32(read("Style", QVariant::fromValue<int>(kDefaultStyle)));
    applyStyleVisibility();
    copyFontToSurface();
    min_ = toInt16(read("Min", int16Variant(kDefaultMin)));
    max_ = toInt16(read("Max", int16Variant(kDefaultMax)));
    // The caption is set before the percentage is recomputed: it shows the percentage the control
    // had, and the drawing of Resize below brings it up to date when the caption is visible.
    label1_->setCaption(captionNow());
    invert_ = toBool(read("InvertPersent", false));
    computePercent();
    Resize();
    borderStyle_ = toInt16(read("BorderStyle", int16Variant(kDefaultBorderStyle)));
    applyBorder();
    Resize();
}
