#pragma once

// The colour dialog of the property pages.

#include "controls/host/olecolor.h"

#include <QColor>

#include <functional>
#include <optional>

class QWidget;

namespace tarvix {

// The colour-selection dialog as the pages use it (CommonDialog1, CommonDialog2): Color is the colour
// the dialog opens with and, after ShowColor, the colour the user chose. Cancel leaves Color as it was.
class CommonDialog {
public:
    // Asks the user for a colour: the colour to open with, the owner window; nothing for Cancel.
    using Prompt = std::function<std::optional<QColor>(const QColor& initial, QWidget* owner)>;

    CommonDialog();

    korv::host::OleColor Color = 0;
    void ShowColor(QWidget* owner);

    // Checks answer the dialog without a window.
    void setPrompt(Prompt p) { prompt_ = std::move(p); }

private:
    Prompt prompt_;
};

} // namespace tarvix
