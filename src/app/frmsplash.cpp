#include "app/frmsplash.h"

#include "app/icon.h"
#include "app/twips.h"
#include "app/version.h"
#include "ui_frmsplash.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>

namespace korv::app {

namespace {

void setArial(QLabel* label, double points, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(bold);
    label->setFont(f);
}

} // namespace

frmSplash::frmSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui_(std::make_unique<Ui::frmSplash>()) {
    ui_->setupUi(this);
    const QIcon icon = programIcon();
    setWindowIcon(icon);
    ui_->imgLogo->setPixmap(icon.pixmap(twipsToPixels(1440, this), twipsToPixels(1440, this)));
    setArial(ui_->lblProductName, 32.25, true);
    setArial(ui_->lblCompanyProduct, 18, true);
    setArial(ui_->lblPlatform, 15.75, true);
    setArial(ui_->lblVersion, 12, true);
    for (QLabel* l : {ui_->lblCopyright, ui_->lblCompany, ui_->lblWarning})
        setArial(l, 8.25, false);
    ui_->Frame1->installEventFilter(this);
    ui_->Frame1->setAutoFillBackground(true);
    Form_Load();

    // 7710 x 4500 twips, centred on the screen.
    const QSize size = twipsToPixels(7710, 4500, this).expandedTo(sizeHint());
    resize(size);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
}

frmSplash::~frmSplash() = default;

void frmSplash::Form_Load() {
    ui_->lblVersion->setText(QStringLiteral("Version ") + versionText());
    ui_->lblProductName->setText(kProgramTitle);
    ui_->lblCompanyProduct->setText(kCompanyName);
    ui_->lblPlatform->setText(QStringLiteral("Linux, Debian 12"));
    ui_->lblCopyright->setText(QStringLiteral("© 2004–2026 Авторы программы Korvelanta"));
    ui_->lblCompany->setText(kCompanyName);
    ui_->lblWarning->setText(QStringLiteral("Программа бесплатна для личного учёта налёта. Коммерческое "
                                            "использование — только с разрешения автора: korvelanta@example.org"));
}

void frmSplash::Form_KeyPress() {
    hide();
    Q_EMIT dismissed();
}

void frmSplash::Frame1_Click() { Form_KeyPress(); }

void frmSplash::keyPressEvent(QKeyEvent* event) {
    event->accept();
    Form_KeyPress();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->Frame1 && event->type() == QEvent::MouseButtonRelease) {
        Frame1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korv::app
