#include "app/frmabout.h"

#include "app/icon.h"
#include "app/program.h"
#include "app/sysinfo.h"
#include "app/version.h"
#include "ui_frmabout.h"

#include <QIcon>

namespace korv::app {

frmAbout::frmAbout(Program& program, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint |
                         Qt::CustomizeWindowHint),
      program_(program), ui_(std::make_unique<Ui::frmAbout>()), site_(this) {
    ui_->setupUi(this);
    const QIcon icon = programIcon();
    setWindowIcon(icon);
    ui_->Image1->setPixmap(icon.pixmap(48, 48));
    QFont title = ui_->lblTitle->font();
    title.setBold(true);
    title.setPointSize(12);
    ui_->lblTitle->setFont(title);
    ui_->lblDisclaimer->setText(
        QStringLiteral("© 2026 Разработчики Korvelanta. Программа свободная: её можно распространять и изменять "
                       "на условиях GNU General Public License версии 3 или (на ваш выбор) любой более поздней "
                       "версии (GPL-3.0-or-later). Программа распространяется без каких-либо гарантий; "
                       "подробности — в тексте лицензии."));

    // The link as the form was designed: caption and address both the program's web site.
    host::MemoryPropertyBag designed;
    designed.set(QStringLiteral("Caption"), kWebAddress);
    designed.set(QStringLiteral("Drovanetta"), kWebAddress);
    link_ = placeControl(kLinkProgId, &site_, ui_->linkSlot, program_.libraryDir(), &designed);
    if (link_ != nullptr) {
        link_->widget()->setObjectName(QStringLiteral("DrovanettaX1"));
        link_->widget()->setMinimumHeight(fontMetrics().height() + 4);
        ui_->linkSlotLayout->addWidget(link_->widget());
    }

    connect(ui_->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(ui_->cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    ui_->cmdOK->setDefault(true);
    Form_Load();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("О программе ") + kProgramTitle.trimmed()); // no blank at a title's end
    ui_->lblVersion->setText(QStringLiteral("Версия   ") + versionText());
    ui_->lblTitle->setText(kProgramTitle);
}

void frmAbout::cmdOK_Click() { hide(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo() {
    const QString path = sysinfo::toolPath(host::Registry());
    if (path.isEmpty() || !program_.startProgram(path))
        program_.dialogs().message(kProgramTitle.trimmed(), sysinfo::kUnavailable, Dialogs::Icon::None);
}

} // namespace korv::app
