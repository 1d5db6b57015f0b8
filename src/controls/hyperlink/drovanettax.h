#pragma once

// DrovanettaX, the hyperlink label control.

#include "controls/host/control.h"
#include "controls/host/olecolor.h"
#include "controls/hyperlink/drovanetta_ids.h"

#include <QFont>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QTimer;

namespace drovanetta {
inline constexpr korv::host::DispId kEventClicked = 1;
inline constexpr int kHoverInterval = 100; // ms
} // namespace drovanetta

// A text shown as a hyperlink: InactiveColor while the pointer is away, ActiveColor and a hand pointer
// while it hovers, and a click opens the link through the desktop. Leaving is noticed by a 100 ms
// timer that polls the pointer, because a label gets no event when the pointer leaves it quickly.
class DrovanettaX : public QWidget, public korv::host::Control {
    Q_OBJECT
public:
    using OleColor = korv::host::OleColor;

    explicit DrovanettaX(korv::host::ControlSite* site = nullptr, QWidget* parent = nullptr);
    ~DrovanettaX() override;

    static int liveInstances();

    // Control
    QWidget* widget() override { return this; }
    QString progId() const override { return QString::fromLatin1(drovanetta::kProgId); }
    void initProperties() override;
    void readProperties(const korv::host::PropertyBag& bag) override;
    void writeProperties(korv::host::PropertyBag& bag) const override;
    void ambientPropertyChanged(const QString& name) override;

    // Dispatch
    QList<korv::host::MemberInfo> members() const override;
    QVariant get(korv::host::DispId id) override;
    void put(korv::host::DispId id, const QVariant& value) override;
    void putRef(korv::host::DispId id, const QVariant& value) override;
    QVariant invoke(korv::host::DispId id, QVariantList& args) override;

    // Properties
    QString caption() const { return caption_; }
    void setCaption(const QString& v);
    QString drovanetta() const { return link_; }
    void setDrovanetta(const QString& v);
    OleColor activeColor() const { return active_; }
    void setActiveColor(OleColor c);
    OleColor inactiveColor() const { return inactive_; }
    void setInactiveColor(OleColor c);
    OleColor backColor() const { return back_; }
    void setBackColor(OleColor c);
    std::optional<QFont> labelFont() const { return font_; }
    void setLabelFont(std::optional<QFont> f);

    // Opens Link (the control's own link when Link is empty; Link then receives it).
    void OpenDrovanetta(QString& link);
    void RefreshLabel();

    // The handlers, public so that a check can drive them with simulated pointer positions.
    void lblDrovanetta_MouseMove();
    void lblDrovanetta_MouseDown();
    void lblDrovanetta_Click();
    void UserControl_MouseMove();
    void tmrTimer_Timer();

    // What the label shows now.
    QLabel* label() const { return lbl_; }
    OleColor labelColor() const { return labelColor_; }
    bool timerEnabled() const { return timerEnabled_; }
    int timerInterval() const { return timerInterval_; }
    // Whether the hover timer actually fires: enabled with a non-zero interval.
    bool timerRunning() const;

    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    int widthTwips() const;
    int heightTwips() const;

    // Replaceable platform calls: the pointer position in screen pixels and the desktop's URL handler.
    void setPointerSource(std::function<QPoint()> f) { pointerPos_ = std::move(f); }
    void setShellOpen(std::function<void(const QString&)> f) { shellOpen_ = std::move(f); }

Q_SIGNALS:
    // Raised with the link; a handler sets *cancel to keep the link from being opened.
    void Clicked(const QString& sDrovanetta, bool* cancel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void notify(const char* name);
    void setLabelColor(OleColor c);
    void applyBackColor();
    void setTimer(bool enabled, int interval);
    void showHandPointer();
    std::optional<QFont> ambientFont() const;
    std::optional<OleColor> ambientBackColor() const;

    korv::host::ControlSite* site_;
    QLabel* lbl_;
    QTimer* tmr_;

    QString caption_;
    QString link_;
    OleColor active_ = 0;
    OleColor inactive_ = 0;
    OleColor back_ = 0x8000000F; // button face, the colour of a control nobody has coloured
    std::optional<QFont> font_;

    OleColor labelColor_ = 0x80000012;
    bool timerEnabled_ = true;
    int timerInterval_ = 0;
    bool pressed_ = false;

    std::function<QPoint()> pointerPos_;
    std::function<void(const QString&)> shellOpen_;
};
