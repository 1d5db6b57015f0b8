#include "app/frmexcel.h"

#include "app/icon.h"
#include "app/program.h"
#include "app/twips.h"
#include "ui_frmexcel.h"

#include <QCloseEvent>
#include <QIcon>
#include <QScreen>

namespace korv::app {

frmExcel::frmExcel(Program& program)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      program_(program), ui_(std::make_unique<Ui::frmExcel>()) {
    ui_->setupUi(this);
    setWindowIcon(programIcon());
    QPalette pink = palette();
    pink.setColor(QPalette::Window, QColor(255, 192, 255));
    setPalette(pink);
    setAutoFillBackground(true);
    connect(ui_->cmdCloseExcel, &QPushButton::clicked, this, &frmExcel::cmdCloseExcel_Click);
    // 3750 x 900 twips, grown to the text where a large font needs it.
    const QSize client = twipsToPixels(3750, 900, this);
    resize(client.expandedTo(sizeHint()));
}

frmExcel::~frmExcel() = default;

void frmExcel::showOnTop() {
    // Designed at 8175, 345 twips: the upper right of the screen, clear of Calc's menus and sheet tabs.
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        const int margin = twipsToPixels(345, this);
        move(area.right() - frameGeometry().width() - margin, area.top() + margin);
    }
    show();
    raise();
    activateWindow();
}

void frmExcel::cmdCloseExcel_Click() {
    closing_ = true;
    program_.endViewing();
    closing_ = false;
}

void frmExcel::closeEvent(QCloseEvent* event) {
    // Closed by its frame, the form ends the viewing as its button does; otherwise every form of the
    // program would be hidden and the pilot left without a way back.
    event->accept();
    if (!closing_ && !program_.hasEnded())
        cmdCloseExcel_Click();
}

} // namespace korv::app
