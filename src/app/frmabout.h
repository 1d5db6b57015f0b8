#pragma once

// frmAbout, the program's About form.

#include "app/formcontrols.h"
#include "controls/hyperlink/drovanetta_ids.h"

#include <QDialog>

#include <memory>

namespace Ui {
class frmAbout;
}

namespace korv::app {

class Program;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(Program& program, QWidget* owner);
    ~frmAbout() override;

    Ui::frmAbout& ui() { return *ui_; }
    // The hyperlink label, a DrovanettaX placed by ProgID; null when it could not be placed.
    host::Control* DrovanettaX1() const { return link_; }

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

private:
    Program& program_;
    std::unique_ptr<Ui::frmAbout> ui_;
    FormSite site_;
    host::Control* link_ = nullptr;
};

inline const QString kLinkProgId = QString::fromLatin1(drovanetta::kProgId);

} // namespace korv::app
