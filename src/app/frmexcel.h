#pragma once

// frmExcel, the small form that ends a viewing of the logbook in Calc.

#include <QWidget>

#include <memory>

namespace Ui {
class frmExcel;
}

namespace korv::app {

class Program;

// The small always-on-top form shown while the logbook is viewed in Calc; its button ends the viewing.
class frmExcel : public QWidget {
    Q_OBJECT
public:
    explicit frmExcel(Program& program);
    ~frmExcel() override;

    Ui::frmExcel& ui() { return *ui_; }

    // Shows the form in the upper right corner of the screen, above every other window.
    void showOnTop();
    void cmdCloseExcel_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Program& program_;
    std::unique_ptr<Ui::frmExcel> ui_;
    bool closing_ = false;
};

} // namespace korv::app
