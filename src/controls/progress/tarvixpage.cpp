#include "controls/progress/tarvixpage.h"

#include "controls/host/convert.h"
#include "controls/host/dispatch.h"
#include "controls/progress/page_rules.h"
#include "ui_tarvixpage.h"

using namespace korv::host;
using namespace tarvix;

namespace {
constexpr OleColor kLabel6Color = 0x80FF; // orange, until a control is selected
} // namespace

TarvixPage::TarvixPage(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TarvixPage>()) {
    ui->setupUi(this);
    // The page keeps its designed size: Option123, which stands for the other look, lies below it, never
    // seen, yet it can be selected and take the focus.
    setFixedSize(size());
    ui->Command1->setIcon(colorButtonIcon());
    ui->Image3->setPicture({});
    QPalette pal = ui->Label6->palette();
    pal.setColor(QPalette::WindowText, qcolorFromOle(kLabel6Color, palette()));
    ui->Label6->setPalette(pal);
    ui->Label6->adjustSize();
    centreLabel6();

    connect(ui->optTarvixActivate, &QRadioButton::clicked, this, &TarvixPage::optTarvixActivate_Click);
    connect(ui->Command1, &QToolButton::clicked, this, &TarvixPage::Command1_Click);
    connect(ui->txtText, &QLineEdit::textChanged, this, &TarvixPage::txtText_Change);
    connect(ui->txtMin, &QLineEdit::textChanged, this, &TarvixPage::txtMin_Change);
    connect(ui->txtMax, &QLineEdit::textChanged, this, &TarvixPage::txtMax_Change);
    connect(ui->chkInvertPersent, &QCheckBox::clicked, this, &TarvixPage::chkInvertPersent_Click);
    connect(ui->chkStretch, &QCheckBox::clicked, this, &TarvixPage::chkStretch_Click);
    connect(ui->chkBackStretch, &QCheckBox::clicked, this, &TarvixPage::chkBackStretch_Click);
    connect(ui->chkCaptionVisible, &QCheckBox::clicked, this, &TarvixPage::chkCaptionVisible_Click);
}

TarvixPage::~TarvixPage() = default;

QString TarvixPage::caption() const { return QStringLiteral("Режим Tarvix"); }

void TarvixPage::showLookControls(bool shown) {
    for (QWidget* w : std::initializer_list<QWidget*>{ui->Image3, ui->fraRange, ui->fraStretch, ui->Label3,
                                                      ui->chkCaptionVisible, ui->Shape1, ui->Command1, ui->txtText})
        w->setVisible(shown);
}

// The background picture fills the inside of the frame and the working picture is as high as it; both
// stretch as their check boxes say.
void TarvixPage::layoutPreviewImages() {
    const QPoint o = ui->Image3->clientOrigin();
    const QSize inner = ui->Image3->size() - QSize(2 * kPreviewBorder, 2 * kPreviewBorder);
    ui->Image1->setStretch(ui->chkBackStretch->isChecked());
    ui->Image1->setGeometry(QRect(o, inner));
    ui->Image2->setStretch(ui->chkStretch->isChecked());
    ui->Image2->setGeometry(o.x(), o.y(), ui->Image2->width(), inner.height());
}

void TarvixPage::placeImage2(int value) {
    const double lo = leadingValue(ui->txtMin->text());
    const double hi = leadingValue(ui->txtMax->text());
    ui->Image2->resize(previewBarWidth(value, lo, hi, ui->Image3->width()), ui->Image2->height());
}

void TarvixPage::centreLabel6() {
    const QPoint o = ui->Image3->clientOrigin();
    const double left = (ui->Image3->width() - 1) / 2.0 - ui->Label6->width() / 2.0;
    const double top = (ui->Image3->height() - 1) / 2.0 - ui->Label6->height() / 2.0;
    ui->Label6->move(o.x() + int(roundHalfEven(left)), o.y() + int(roundHalfEven(top)));
}

void TarvixPage::SelectionChanged() {
    Dispatch* c = firstSelected();
    if (c == nullptr)
        return;
    if (toInt32(c->getByName(QStringLiteral("Style"))) != 0) {
        // Shown again for a control in this look, whatever the page showed before.
        showLookControls(true);
        ui->optTarvixActivate->setChecked(true);
        ui->Shape1->setFillColor(toOleColor(c->getByName(QStringLiteral("Color"))));
        ui->txtText->setText(toText(c->getByName(QStringLiteral("Text"))));
        ui->txtMin->setText(QString::number(toInt16(c->getByName(QStringLiteral("Min")))));
        ui->txtMax->setText(QString::number(toInt16(c->getByName(QStringLiteral("Max")))));
        ui->chkInvertPersent->setChecked(toBool(c->getByName(QStringLiteral("InvertPersent"))));
        ui->chkBackStretch->setChecked(toBool(c->getByName(QStringLiteral("BackStretch"))));
        ui->chkCaptionVisible->setChecked(toBool(c->getByName(QStringLiteral("CaptionVisible"))));
        ui->chkStretch->setChecked(toBool(c->getByName(QStringLiteral("Stretch"))));

        const QImage back = toPicture(c->getByName(QStringLiteral("BackPicture")));
        ui->Image1->setPicture(back);
        ui->Image2->setPicture(toPicture(c->getByName(QStringLiteral("Picture"))));
        ui->Image3->setPicture(back);
        ui->Image3->resize(previewFrameSize(back.size()));
        layoutPreviewImages();

        const int value = toInt16(c->getByName(QStringLiteral("Value")));
        const double lo = leadingValue(ui->txtMin->text());
        const double hi = leadingValue(ui->txtMax->text());
        // Equal bounds can only come from a control whose load failed; its preview stays empty.
        const long long p = previewPercent(value, lo, hi).value_or(0);
        placeImage2(value);
        ui->Label6->setText(previewCaption(ui->txtText->text(), p, ui->chkInvertPersent->isChecked()));
        QFont f = ui->Label6->font();
        f.setFamily(toFont(c->getByName(QStringLiteral("Font"))).family());
        ui->Label6->setFont(f);
        QPalette pal = ui->Label6->palette();
        pal.setColor(QPalette::WindowText, qcolorFromOle(toOleColor(c->getByName(QStringLiteral("Color"))), palette()));
        ui->Label6->setPalette(pal);
        ui->Label6->adjustSize();
        centreLabel6();
        ui->Label6->setVisible(ui->chkCaptionVisible->isChecked());
    } else {
        ui->Option123->setChecked(true);
        showLookControls(false);
    }
    setChanged(false);
}

void TarvixPage::ApplyChanges() {
    Dispatch* c = firstSelected();
    if (c == nullptr)
        return;
    // Everything that could fail half-way is checked first, so that a refused Apply changes nothing.
    checkTypedRange(ui->txtMin->text(), ui->txtMax->text(), true);
    c->putByName(QStringLiteral("Color"), colorVariant(ui->Shape1->fillColor()));

    layoutPreviewImages();
    placeImage2(toInt16(c->getByName(QStringLiteral("Value"))));
    ui->Image2->repaint();

    c->putByName(QStringLiteral("Text"), ui->txtText->text());
    // Min before Max: a new range wholly above the old one is then accepted.
    c->putByName(QStringLiteral("Min"), ui->txtMin->text());
    c->putByName(QStringLiteral("Max"), ui->txtMax->text());
    c->putByName(QStringLiteral("InvertPersent"), ui->chkInvertPersent->isChecked());
    c->putByName(QStringLiteral("CaptionVisible"), ui->chkCaptionVisible->isChecked());
    c->putByName(QStringLiteral("BackStretch"), ui->chkBackStretch->isChecked());
    c->putByName(QStringLiteral("Stretch"), ui->chkStretch->isChecked());
    ui->Option123->setFocus();
}

void TarvixPage::optTarvixActivate_Click() {
    setChanged(true);
    Dispatch* c = firstSelected();
    if (c == nullptr)
        return;
    // The look switches at once, not at Apply: the page can only show the settings of its own look.
    if (toInt32(c->getByName(QStringLiteral("Style"))) == 0) {
        showLookControls(true);
        c->putByName(QStringLiteral("Style"), 1);
        SelectionChanged();
    }
}

void TarvixPage::Command1_Click() {
    CommonDialog1().Color = ui->Shape1->fillColor();
    CommonDialog1().ShowColor(this);
    ui->Shape1->setFillColor(CommonDialog1().Color);
    setChanged(true);
}

void TarvixPage::txtText_Change() { setChanged(true); }
void TarvixPage::txtMin_Change() { setChanged(true); }
void TarvixPage::txtMax_Change() { setChanged(true); }
void TarvixPage::chkInvertPersent_Click() { setChanged(true); }
void TarvixPage::chkStretch_Click() { setChanged(true); }
void TarvixPage::chkBackStretch_Click() { setChanged(true); }
void TarvixPage::chkCaptionVisible_Click() { setChanged(true); }
