#include "controls/hyperlink/drovanettax.h"

#include "controls/host/controlerror.h"
#include "controls/host/convert.h"
#include "controls/hyperlink/handcursor.h"
#include "controls/hyperlink/hover_rules.h"
#include "controls/hyperlink/link_rules.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

#include <atomic>

using namespace korv::host;
using namespace drovanetta;

namespace {
std::atomic<int> g_live{0};
constexpr int kLabelTopTwips = 5;
} // namespace

DrovanettaX::DrovanettaX(ControlSite* site, QWidget* parent)
    : QWidget(parent), site_(site), lbl_(new QLabel(this)), tmr_(new QTimer(this)) {
    ++g_live;
    lbl_->setObjectName(QStringLiteral("lblDrovanetta"));
    tmr_->setObjectName(QStringLiteral("tmrTimer"));
    lbl_->setTextFormat(Qt::PlainText);
    lbl_->setAutoFillBackground(false);
    lbl_->setAttribute(Qt::WA_TranslucentBackground);
    lbl_->setMouseTracking(true);
    lbl_->installEventFilter(this);
    lbl_->setText(QStringLiteral("Label1"));
    lbl_->adjustSize();
    lbl_->move(0, int(roundHalfEven(kLabelTopTwips / twipsPerPixelY())));
    setLabelColor(labelColor_);
    setMouseTracking(true);
    connect(tmr_, &QTimer::timeout, this, &DrovanettaX::tmrTimer_Timer);
    pointerPos_ = [] { return QCursor::pos(); };
    shellOpen_ = [](const QString& link) { QDesktopServices::openUrl(shellUrl(link, QDir::currentPath())); };
    resize(200, 20);
}

DrovanettaX::~DrovanettaX() {
    // A label destroyed while lit (its form closed under the pointer) would otherwise leave the whole
    // application with the hand pointer, since only its own timer would have restored it.
    if (timerRunning())
        while (QGuiApplication::overrideCursor() != nullptr)
            QGuiApplication::restoreOverrideCursor();
    --g_live;
}

int DrovanettaX::liveInstances() { return g_live.load(); }

void DrovanettaX::notify(const char* name) {
    if (site_ != nullptr)
        site_->propertyChanged(QString::fromLatin1(name));
}

std::optional<QFont> DrovanettaX::ambientFont() const { return site_ != nullptr ? site_->ambientFont() : std::nullopt; }

std::optional<OleColor> DrovanettaX::ambientBackColor() const {
    return site_ != nullptr ? site_->ambientBackColor() : std::nullopt;
}

double DrovanettaX::twipsPerPixelX() const { return twipsPerPixel(logicalDpiX()); }
double DrovanettaX::twipsPerPixelY() const { return twipsPerPixel(logicalDpiY()); }
int DrovanettaX::widthTwips() const { return pixelsToTwips(width(), twipsPerPixelX()); }
int DrovanettaX::heightTwips() const { return pixelsToTwips(height(), twipsPerPixelY()); }

void DrovanettaX::setLabelColor(OleColor c) {
    labelColor_ = c;
    QPalette pal = lbl_->palette();
    pal.setColor(QPalette::WindowText, qcolorFromOle(c, QGuiApplication::palette()));
    lbl_->setPalette(pal);
}

void DrovanettaX::applyBackColor() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, qcolorFromOle(back_, QGuiApplication::palette()));
    setPalette(pal);
    setAutoFillBackground(true);
}

// ---- label and puts ---------------------------------------------------------------------------------

void DrovanettaX::RefreshLabel() {
    if (!font_)
        font_ = ambientFont();
    if (font_)
        lbl_->setFont(*font_);
    setLabelColor(inactive_);
    lbl_->setText(caption_.isEmpty() ? link_ : caption_);
    lbl_->adjustSize();
    applyBackColor();
}

void DrovanettaX::setCaption(const QString& v) {
    caption_ = v;
    notify("Caption");
    RefreshLabel();
    if (!link_.isEmpty())
        lbl_->setToolTip(link_);
}

void DrovanettaX::setDrovanetta(const QString& v) {
    link_ = v;
    notify("Drovanetta");
    // The shown text follows at the next RefreshLabel; an empty link keeps the tooltip set before.
    if (!link_.isEmpty())
        lbl_->setToolTip(link_);
}

void DrovanettaX::setActiveColor(OleColor c) {
    active_ = c;
    notify("ActiveColor");
    RefreshLabel();
}

void DrovanettaX::setInactiveColor(OleColor c) {
    inactive_ = c;
    notify("InactiveColor");
    RefreshLabel();
}

void DrovanettaX::setBackColor(OleColor c) {
    back_ = c;
    notify("BackColor");
    applyBackColor();
}

void DrovanettaX::setLabelFont(std::optional<QFont> f) {
    font_ = std::move(f);
    notify("Font");
    RefreshLabel();
}

void DrovanettaX::ambientPropertyChanged(const QString& name) {
    if (name.compare(QLatin1String("BACKCOLOR"), Qt::CaseInsensitive) != 0)
        return;
    std::optional<OleColor> c = site_ != nullptr ? site_->parentBackColor() : std::nullopt;
    if (!c && parentWidget() != nullptr)
        c = oleFromQColor(parentWidget()->palette().color(QPalette::Window));
    if (c)
        setBackColor(*c);
}

// ---- hover --------------------------------------------------------------------------------------------

void DrovanettaX::setTimer(bool enabled, int interval) {
    timerEnabled_ = enabled;
    timerInterval_ = interval;
    // An interval of 0 means "never fires" here, not "fire as often as possible" as QTimer would.
    if (timerRunning())
        tmr_->start(interval);
    else
        tmr_->stop();
}

bool DrovanettaX::timerRunning() const { return timerEnabled_ && timerInterval_ > 0; }

void DrovanettaX::showHandPointer() {
    // Application-wide, and only one level deep: every hover replaces the pointer instead of stacking
    // another one, so that one restore brings the default back.
    if (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::changeOverrideCursor(handCursor());
    else
        QGuiApplication::setOverrideCursor(handCursor());
}

void DrovanettaX::lblDrovanetta_MouseMove() {
    showHandPointer();
    if (labelColor_ == inactive_) {
        setLabelColor(active_);
        QCoreApplication::processEvents();
        setTimer(true, kHoverInterval);
        lbl_->repaint();
    }
}

void DrovanettaX::UserControl_MouseMove() {
    showHandPointer();
    setTimer(true, kHoverInterval);
}

void DrovanettaX::tmrTimer_Timer() {
    const QPoint local = mapFromGlobal(pointerPos_());
    if (pointerInside(local, twipsPerPixelX(), twipsPerPixelY(), widthTwips(), heightTwips()))
        return;
    setLabelColor(inactive_);
    // Back to the application's default pointer, whatever was set before the hover.
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
    setTimer(false, timerInterval_);
}

void DrovanettaX::lblDrovanetta_MouseDown() {
    // Redrawn now, not at the next turn of the event loop: the press may start blocking work.
    if (labelColor_ == active_)
        lbl_->repaint();
}

void DrovanettaX::lblDrovanetta_Click() {
    bool cancel = false;
    if (site_ != nullptr) {
        QVariantList args{link_, false};
        site_->fireEvent(kEventClicked, QStringLiteral("Clicked"), args);
        cancel = args.size() > 1 && toBool(args[1]);
    }
    Q_EMIT Clicked(link_, &cancel);
    if (!cancel) {
        QString none;
        OpenDrovanetta(none);
    }
}

void DrovanettaX::OpenDrovanetta(QString& link) {
    if (link.isEmpty())
        link = link_;
    // The desktop's answer is not examined: a link it cannot open fails silently.
    if (shellOpen_)
        shellOpen_(link);
}

bool DrovanettaX::eventFilter(QObject* watched, QEvent* event) {
    if (watched != lbl_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
        lblDrovanetta_MouseMove();
        return true;
    case QEvent::MouseButtonPress:
        pressed_ = true;
        lblDrovanetta_MouseDown();
        return true;
    case QEvent::MouseButtonRelease: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        const auto* me = static_cast<QMouseEvent*>(event);
        if (wasPressed && me->button() == Qt::LeftButton && lbl_->rect().contains(me->position().toPoint()))
            lblDrovanetta_Click();
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void DrovanettaX::mouseMoveEvent(QMouseEvent* e) {
    UserControl_MouseMove();
    QWidget::mouseMoveEvent(e);
}

// ---- persistence ----------------------------------------------------------------------------------

void DrovanettaX::initProperties() {
    font_ = ambientFont();
    active_ = 0;          // black on hover
    inactive_ = 0xFF0000; // blue otherwise
    if (const auto bc = ambientBackColor())
        back_ = *bc;
    caption_ = QString::fromLatin1(kDefaultLink);
    link_ = caption_;
    RefreshLabel();
}

void DrovanettaX::writeProperties(PropertyBag& bag) const {
    const QVariant link = QString::fromLatin1(kDefaultLink);
    const auto ambBack = ambientBackColor();
    const auto ambFont = ambientFont();
    bag.writeProperty(QStringLiteral("Drovanetta"), link_, link);
    bag.writeProperty(QStringLiteral("Caption"), caption_, link);
    bag.writeProperty(QStringLiteral("ActiveColor"), colorVariant(active_), colorVariant(0xFF0000));
    bag.writeProperty(QStringLiteral("InactiveColor"), colorVariant(inactive_), colorVariant(0));
    bag.writeProperty(QStringLiteral("BackColor"), colorVariant(back_), ambBack ? colorVariant(*ambBack) : QVariant());
    bag.writeProperty(QStringLiteral("Font"), font_ ? QVariant(*font_) : QVariant(),
                      ambFont ? QVariant(*ambFont) : QVariant());
}

void DrovanettaX::readProperties(const PropertyBag& bag) {
    const QVariant link = QString::fromLatin1(kDefaultLink);
    setCaption(toText(bag.readProperty(QStringLiteral("Caption"), link)));
    setDrovanetta(toText(bag.readProperty(QStringLiteral("Drovanetta"), link)));
    setActiveColor(toOleColor(bag.readProperty(QStringLiteral("ActiveColor"), colorVariant(0xFF0000))));
    setInactiveColor(toOleColor(bag.readProperty(QStringLiteral("InactiveColor"), colorVariant(0))));
    const auto ambBack = ambientBackColor();
    const QVariant back = bag.readProperty(QStringLiteral("BackColor"), ambBack ? colorVariant(*ambBack) : QVariant());
    // Without an entry and without an ambient colour there is nothing to put; the background stays.
    if (back.isValid())
        setBackColor(toOleColor(back));
    const auto ambFont = ambientFont();
    const QVariant font = bag.readProperty(QStringLiteral("Font"), ambFont ? QVariant(*ambFont) : QVariant());
    setLabelFont(font.isValid() ? std::optional<QFont>(toFont(font)) : std::nullopt);
}

// ---- dispatch -----------------------------------------------------------------------------------------

QList<MemberInfo> DrovanettaX::members() const {
    auto prop = [](DispId id, const char* name, const char* type, bool byRef = false) {
        MemberInfo m;
        m.id = id;
        m.name = QString::fromLatin1(name);
        m.type = QString::fromLatin1(type);
        m.argumentNames = {QStringLiteral("New_") + m.name};
        m.byReference = byRef;
        return m;
    };
    MemberInfo open;
    open.id = DispOpenDrovanetta;
    open.name = QStringLiteral("OpenDrovanetta");
    open.kind = MemberInfo::Kind::Method;
    open.argumentNames = {QStringLiteral("Link")};
    return {prop(DispFont, "Font", "Font", true),
            prop(DispBackColor, "BackColor", "OLE_COLOR"),
            prop(DispInactiveColor, "InactiveColor", "OLE_COLOR"),
            prop(DispActiveColor, "ActiveColor", "OLE_COLOR"),
            prop(DispCaption, "Caption", "String"),
            prop(DispDrovanetta, "Drovanetta", "String"),
            open};
}

QVariant DrovanettaX::get(DispId id) {
    switch (id) {
    case DispFont:
        return font_ ? QVariant(*font_) : QVariant();
    case DispBackColor:
        return colorVariant(back_);
    case DispInactiveColor:
        return colorVariant(inactive_);
    case DispActiveColor:
        return colorVariant(active_);
    case DispCaption:
        return caption_;
    case DispDrovanetta:
        return link_;
    default:
        throw ControlError::notSupported(QString::number(id));
    }
}

void DrovanettaX::put(DispId id, const QVariant& v) {
    switch (id) {
    case DispFont:
        putRef(id, v);
        break;
    case DispBackColor:
        setBackColor(toOleColor(v));
        break;
    case DispInactiveColor:
        setInactiveColor(toOleColor(v));
        break;
    case DispActiveColor:
        setActiveColor(toOleColor(v));
        break;
    case DispCaption:
        setCaption(toText(v));
        break;
    case DispDrovanetta:
        setDrovanetta(toText(v));
        break;
    default:
        throw ControlError::notSupported(QString::number(id));
    }
}

void DrovanettaX::putRef(DispId id, const QVariant& v) {
    if (id != DispFont)
        throw ControlError::notSupported(QString::number(id));
    setLabelFont(v.isValid() ? std::optional<QFont>(toFont(v)) : std::nullopt);
}

QVariant DrovanettaX::invoke(DispId id, QVariantList& args) {
    if (id == DispOpenDrovanetta) {
        if (args.isEmpty())
            args.append(QString());
        QString link = toText(args[0]);
        OpenDrovanetta(link);
        args[0] = link;
        return {};
    }
    if (args.isEmpty())
        return get(id);
    put(id, args.front());
    return {};
}
