#pragma once

// TarvixProgress, the progress bar control.

#include "controls/host/control.h"
#include "controls/host/olecolor.h"
#include "controls/progress/tarvix_ids.h"

#include <QFrame>
#include <QImage>

#include <cstdint>
#include <functional>

namespace tarvix {
class StandartSurface;
class PictureBox;
class CaptionLabel;

enum SetStyle : std::int32_t { Standart = 0, Tarvix = 1 };
enum StetBorderStyle : std::int16_t { None = 0, Flat = 1, ThreeD = 2 };
} // namespace tarvix

// The progress bar: a bar growing from the left and a centred caption with the percentage, in a flat
// look (Standart) or a picture-based one (Tarvix). Properties are reached through the dispatch
// interface or the typed members below; both run the same puts with their clamping and notices.
class TarvixProgress : public QFrame, public korv::host::Control {
    Q_OBJECT
public:
    using OleColor = korv::host::OleColor;

    explicit TarvixProgress(korv::host::ControlSite* site = nullptr, QWidget* parent = nullptr);
    ~TarvixProgress() override;

    static int liveInstances();

    // Control
    QWidget* widget() override { return this; }
    QString progId() const override { return QString::fromUtf8(tarvix::kProgId); }
    void initProperties() override;
    void readProperties(const korv::host::PropertyBag& bag) override;
    void writeProperties(korv::host::PropertyBag& bag) const override;
    QStringList propertyPageNames() const override;
    korv::host::PropertyPage* createPropertyPage(const QString& name, QWidget* parent) override;

    // Dispatch
    QList<korv::host::MemberInfo> members() const override;
    QVariant get(korv::host::DispId id) override;
    void put(korv::host::DispId id, const QVariant& value) override;
    void putRef(korv::host::DispId id, const QVariant& value) override;
    QVariant invoke(korv::host::DispId id, QVariantList& args) override;

    // Properties
    std::int16_t value() const { return value_; }
    void setValue(std::int16_t v);
    std::int16_t min() const { return min_; }
    void setMin(std::int16_t v);
    std::int16_t max() const { return max_; }
    void setMax(std::int16_t v);
    bool invertPersent() const { return invert_; }
    void setInvertPersent(bool v);
    QString text() const { return text_; }
    void setText(const QString& v);
    std::int32_t barStyle() const { return style_; }
    void setBarStyle(std::int32_t v);
    std::int16_t borderStyle() const { return borderStyle_; }
    void setBorderStyle(std::int16_t v);
    QFont captionFont() const;
    void setCaptionFont(const QFont& f);
    OleColor color() const;
    void setColor(OleColor c);
    QImage picture() const;
    void setPicture(const QImage& img);
    bool stretch() const;
    void setStretch(bool s);
    QImage backPicture() const;
    void setBackPicture(const QImage& img);
    bool backStretch() const;
    void setBackStretch(bool s);
    OleColor backColor() const;
    void setBackColor(OleColor c);
    OleColor foreColor() const;
    void setForeColor(OleColor c);
    bool captionVisible() const { return captionVisible_; }
    void setCaptionVisible(bool v);

    void AboutBox();

    // Derived state and the constituents, for the container and for checks.
    std::int16_t percent() const { return percent_; }
    QString labelCaption() const;
    tarvix::StandartSurface* picture1() const { return picture1_; }
    tarvix::CaptionLabel* label1() const { return label1_; }
    tarvix::PictureBox* image1() const { return image1_; }
    tarvix::PictureBox* image2() const { return image2_; }

    // Runs on every resize of the control and after most puts.
    void Resize();
    void DrawStandartBar();
    void DrawCaption();

    // The About form is shown through this hook when set (a container or a check may replace it).
    void setAboutBoxHandler(std::function<void()> f) { aboutHandler_ = std::move(f); }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void notify(const char* name);
    void computePercent();
    QString captionNow() const;
    QRect client() const;
    void applyStyleVisibility();
    void applyBorder();
    void copyFontToSurface();
    QFont ambientFont() const;

    korv::host::ControlSite* site_;
    tarvix::StandartSurface* picture1_;
    tarvix::CaptionLabel* label1_;
    tarvix::PictureBox* image1_;
    tarvix::PictureBox* image2_;

    std::int16_t value_ = 100;
    std::int16_t min_ = 0;
    std::int16_t max_ = 100;
    bool invert_ = false;
    QString text_;
    std::int32_t style_ = tarvix::Tarvix;
    std::int16_t borderStyle_ = tarvix::ThreeD;
    std::int16_t percent_ = 100;
    bool captionVisible_ = true;
    std::function<void()> aboutHandler_;
};
