#pragma once

// Property page "Standart" of the progress bar.

#include "controls/host/propertypage.h"
#include "controls/progress/commondialog.h"

#include <QWidget>

#include <memory>

class TarvixProgress;

namespace Ui {
class StandartPage;
}

// Property page "Standart" (caption "Режим Standart"): the settings of the flat look, with a preview
// bar of its own. Shown only while the control is in that look; otherwise it offers the single option
// that switches the control to it.
class StandartPage : public QWidget, public korv::host::PropertyPage {
    Q_OBJECT
public:
    explicit StandartPage(QWidget* parent = nullptr);
    ~StandartPage() override;

    QWidget* widget() override { return this; }
    QString caption() const override;

    void SelectionChanged() override;
    void ApplyChanges() override;

    void optStandartActivate_Click();
    void Command1_Click();
    void Command2_Click();
    void txtText_Change();
    void txtMin_Change();
    void txtMax_Change();
    void chkInvertPersent_Click();
    void chkCaptionVisible_Click();

    tarvix::CommonDialog& CommonDialog2() { return commonDialog2_; }
    TarvixProgress* TarvixProgress1() const { return preview_; }

private:
    void showLookControls(bool shown);

    std::unique_ptr<Ui::StandartPage> ui;
    TarvixProgress* preview_;
    tarvix::CommonDialog commonDialog2_;
};
