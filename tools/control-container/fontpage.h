#pragma once

// The container's standard font page.

#include "controls/host/propertypage.h"

#include <QWidget>

class QCheckBox;
class QFontComboBox;
class QLabel;
class QSpinBox;

// The container's standard font page: the font of the control's Font property, its size and its
// styles, with a sample.
class FontPage : public QWidget, public korv::host::PropertyPage {
    Q_OBJECT
public:
    explicit FontPage(QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    QString caption() const override { return QStringLiteral("Шрифт"); }
    void SelectionChanged() override;
    void ApplyChanges() override;

    QFont currentFont() const;

private:
    void edited();

    QFontComboBox* family_;
    QSpinBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QCheckBox* underline_;
    QCheckBox* strikeOut_;
    QLabel* sample_;
};
