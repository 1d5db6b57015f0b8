#include "controls/progress/standartpage.h"

#include "controls/host/convert.h"
#include "controls/host/dispatch.h"
#include "controls/host/propertybag.h"
#include "controls/progress/page_rules.h"
#include "controls/progress/pageparts.h"
#include "controls/progress/tarvixprogress.h"
#include "ui_standartpage.h"

using namespace korv::host;
using namespace tarvix;

StandartPage::StandartPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::StandartPage>()), preview_(new TarvixProgress(nullptr, this)) {
    ui->setupUi(this);
    // The page keeps its designed size: Option1, which stands for the other look, lies below it, never
    // seen, yet it can be selected and take the focus.
    setFixedSize(size());
    ui->Command1->setIcon(colorButtonIcon());
    ui->Command2->setIcon(colorButtonIcon());

    // The preview is a bar of this library as a saved form holds it: 60 in the flat look, with the
    // white background and dark-blue pen of a new control.
    preview_->setObjectName(QStringLiteral("TarvixProgress1"));
    MemoryPropertyBag saved;
    saved.set(QStringLiteral("Value"), QVariant::fromValue<short>(60));
    saved.set(QStringLiteral("Style"), 0);
    preview_->setFixedSize(337, 28);
    preview_->readProperties(saved);
    ui->previewRow->addWidget(preview_, 0, Qt::AlignHCenter);
    ui->Back->setFillColor(0xFFFFFF);
    ui->Fore->setFillColor(0x800000);

    connect(ui->optStandartActivate, &QRadioButton::clicked, this, &StandartPage::optStandartActivate_Click);
    connect(ui->Command1, &QToolButton::clicked, this, &StandartPage::Command1_Click);
    connect(ui->Command2, &QToolButton::clicked, this, &StandartPage::Command2_Click);
    connect(ui->txtText, &QLineEdit::textChanged, this, &StandartPage::txtText_Change);
    connect(ui->txtMin, &QLineEdit::textChanged, this, &StandartPage::txtMin_Change);
    connect(ui->txtMax, &QLineEdit::textChanged, this, &StandartPage::txtMax_Change);
    connect(ui->chkInvertPersent, &QCheckBox::clicked, this, &StandartPage::chkInvertPersent_Click);
    connect(ui->chkCaptionVisible, &QCheckBox::clicked, this, &StandartPage::chkCaptionVisible_Click);
}

StandartPage::~StandartPage() = default;

QString StandartPage::caption() const { return QStringLiteral("Режим Standart"); }

void StandartPage::showLookControls(bool shown) {
    for (QWidget* w : std::initializer_list<QWidget*>{preview_, ui->fraRange, ui->fraColor, ui->Label3,
                                                      ui->chkCaptionVisible, ui->txtText})
        w->setVisible(shown);
}

void StandartPage::SelectionChanged() {
    Dispatch* c = firstSelected();
    if (c == nullptr)
        return;
    if (toInt32(c->getByName(QStringLiteral("Style"))) == 0) {
        // Shown again for a control in this look, whatever the page showed before.
        showLookControls(true);
        ui->optStandartActivate->setChecked(true);
        ui->Back->setFillColor(toOleColor(c->getByName(QStringLiteral("BackColor"))));
        ui->Fore->setFillColor(toOleColor(c->getByName(QStringLiteral("ForeColor"))));

        // Through the preview's own puts, so its clamping applies at each step.
        const std::int16_t value = toInt16(c->getByName(QStringLiteral("Value")));
        preview_->setBackColor(ui->Back->fillColor());
        preview_->setForeColor(ui->Fore->fillColor());
        preview_->setValue(value);
        preview_->setMax(toInt16(c->getByName(QStringLiteral("Max"))));
        preview_->setMin(toInt16(c->getByName(QStringLiteral("Min"))));
        // Once more within the control's own bounds: the first put was clamped to the preview's old
        // range, which would show a control counting above 100 at the wrong percentage.
        preview_->setValue(value);
        preview_->setText(toText(c->getByName(QStringLiteral("Text"))));
        preview_->setCaptionVisible(toBool(c->getByName(QStringLiteral("CaptionVisible"))));

        ui->chkCaptionVisible->setChecked(toBool(c->getByName(QStringLiteral("CaptionVisible"))));
        ui->txtText->setText(toText(c->getByName(QStringLiteral("Text"))));
        ui->txtMax->setText(QString::number(toInt16(c->getByName(QStringLiteral("Max")))));
        ui->txtMin->setText(QString::number(toInt16(c->getByName(QStringLiteral("Min")))));
        ui->chkInvertPersent->setChecked(toBool(c->getByName(QStringLiteral("InvertPersent"))));
        preview_->setInvertPersent(ui->chkInvertPersent->isChecked());
    } else {
        showLookControls(false);
        ui->Option1->setChecked(true);
    }
    setChanged(false);
}

void StandartPage::ApplyChanges() {
    Dispatch* c = firstSelected();
    if (c == nullptr)
        return;
    // Everything that could fail half-way is checked first, so that a refused Apply changes nothing.
    checkTypedRange(ui->txtMin->text(), ui->txtMax->text(), false);
    c->putByName(QStringLiteral("CaptionVisible"), ui->chkCaptionVisible->isChecked());
    c->putByName(QStringLiteral("BackColor"), colorVariant(ui->Back->fillColor()));
    c->putByName(QStringLiteral("ForeColor"), colorVariant(ui->Fore->fillColor()));
    c->putByName(QStringLiteral("Text"), ui->txtText->text());
    // Min before Max: a new range wholly above the old one is then accepted.
    c->putByName(QStringLiteral("Min"), ui->txtMin->text());
    c->putByName(QStringLiteral("Max"), ui->txtMax->text());
    c->putByName(QStringLiteral("InvertPersent"), ui->chkInvertPersent->isChecked());
    ui->Option1->setFocus();
}

void StandartPage::optStandartActivate_Click() {
    setChanged(true);
    Dispatch* c = firstSelected();
    if (c == nullptr)
        return;
    // The look switches at once, not at Apply: the page can only show the settings of its own look.
    if (toInt32(c->getByName(QStringLiteral("Style"))) != 0) {
        showLookControls(true);
        c->putByName(QStringLiteral("Style"), 0);
        SelectionChanged();
    }
}

void StandartPage::Command1_Click() {
    CommonDialog2().Color = ui->Back->fillColor();
    CommonDialog2().ShowColor(this);
    ui->Back->setFillColor(CommonDialog2().Color);
    setChanged(true);
}

void StandartPage::Command2_Click() {
    CommonDialog2().Color = ui->Fore->fillColor();
    CommonDialog2().ShowColor(this);
    ui->Fore->setFillColor(CommonDialog2().Color);
    setChanged(true);
}

void StandartPage::txtText_Change() { setChanged(true); }
void StandartPage::txtMin_Change() { setChanged(true); }
void StandartPage::txtMax_Change() { setChanged(true); }
void StandartPage::chkInvertPersent_Click() { setChanged(true); }
void StandartPage::chkCaptionVisible_Click() { setChanged(true); }
