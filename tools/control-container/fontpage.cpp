#include "fontpage.h"

#include "controls/host/convert.h"
#include "controls/host/dispatch.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace korv::host;

FontPage::FontPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Font"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    auto* form = new QFormLayout;
    family_ = new QFontComboBox(this);
    family_->setObjectName(QStringLiteral("cboFontName"));
    size_ = new QSpinBox(this);
    size_->setObjectName(QStringLiteral("txtFontSize"));
    size_->setRange(1, 200);
    form->addRow(QStringLiteral("Свойство:"), new QLabel(QStringLiteral("Font"), this));
    form->addRow(QStringLiteral("Шрифт:"), family_);
    form->addRow(QStringLiteral("Размер:"), size_);
    outer->addLayout(form);

    auto* effects = new QGroupBox(QStringLiteral("Начертание"), this);
    auto* grid = new QGridLayout(effects);
    bold_ = new QCheckBox(QStringLiteral("Полужирный"), effects);
    italic_ = new QCheckBox(QStringLiteral("Курсив"), effects);
    underline_ = new QCheckBox(QStringLiteral("Подчёркнутый"), effects);
    strikeOut_ = new QCheckBox(QStringLiteral("Зачёркнутый"), effects);
    grid->addWidget(bold_, 0, 0);
    grid->addWidget(italic_, 0, 1);
    grid->addWidget(underline_, 1, 0);
    grid->addWidget(strikeOut_, 1, 1);
    outer->addWidget(effects);

    auto* sampleBox = new QGroupBox(QStringLiteral("Образец"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sample_ = new QLabel(QStringLiteral("АаБбВв 57%"), sampleBox);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(60);
    sampleLayout->addWidget(sample_);
    outer->addWidget(sampleBox);
    outer->addStretch(1);

    connect(family_, &QFontComboBox::currentFontChanged, this, &FontPage::edited);
    connect(size_, &QSpinBox::valueChanged, this, &FontPage::edited);
    for (QCheckBox* c : {bold_, italic_, underline_, strikeOut_})
        connect(c, &QCheckBox::clicked, this, &FontPage::edited);
}

QFont FontPage::currentFont() const {
    QFont f = family_->currentFont();
    f.setPointSize(size_->value());
    f.setBold(bold_->isChecked());
    f.setItalic(italic_->isChecked());
    f.setUnderline(underline_->isChecked());
    f.setStrikeOut(strikeOut_->isChecked());
    return f;
}

void FontPage::edited() {
    sample_->setFont(currentFont());
    setChanged(true);
}

void FontPage::SelectionChanged() {
    Dispatch* c = firstSelected();
    if (c == nullptr)
        return;
    // A control may hold no font yet (an empty reference); the page then starts from the application's.
    const QVariant v = c->getByName(QStringLiteral("Font"));
    const QFont f = v.isValid() ? toFont(v) : QApplication::font();
    family_->setCurrentFont(f);
    size_->setValue(f.pointSize() > 0 ? f.pointSize() : 9);
    bold_->setChecked(f.bold());
    italic_->setChecked(f.italic());
    underline_->setChecked(f.underline());
    strikeOut_->setChecked(f.strikeOut());
    sample_->setFont(currentFont());
    setChanged(false);
}

void FontPage::ApplyChanges() {
    if (Dispatch* c = firstSelected())
        c->putByName(QStringLiteral("Font"), currentFont());
}
