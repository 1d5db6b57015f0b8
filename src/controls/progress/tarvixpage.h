#pragma once

// Property page "Tarvix" of the progress bar.

#include "controls/host/propertypage.h"
#include "controls/progress/commondialog.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TarvixPage;
}

// Property page "Tarvix" (caption "Режим Tarvix"): the settings of the picture-based look, with a
// preview of the background and working pictures and the caption. Shown only while the control is in
// that look; otherwise it offers the single option that switches the control to it.
class TarvixPage : public QWidget, public korv::host::PropertyPage {
    Q_OBJECT
public:
    explicit TarvixPage(QWidget* parent = nullptr);
    ~TarvixPage() override;

    QWidget* widget() override { return this; }
    QString caption() const override;

    void SelectionChanged() override;
    void ApplyChanges() override;

    void optTarvixActivate_Click();
    void Command1_Click();
    void txtText_Change();
    void txtMin_Change();
    void txtMax_Change();
    void chkInvertPersent_Click();
    void chkStretch_Click();
    void chkBackStretch_Click();
    void chkCaptionVisible_Click();

    tarvix::CommonDialog& CommonDialog1() { return commonDialog1_; }

private:
    void showLookControls(bool shown);
    void layoutPreviewImages();
    void placeImage2(int value);
    void centreLabel6();

    std::unique_ptr<Ui::TarvixPage> ui;
    tarvix::CommonDialog commonDialog1_;
};
