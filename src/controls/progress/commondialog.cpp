#include "controls/progress/commondialog.h"

#include <QColorDialog>
#include <QWidget>

namespace tarvix {

CommonDialog::CommonDialog() {
    prompt_ = [](const QColor& initial, QWidget* owner) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(initial, owner, QStringLiteral("Цвет"));
        if (!c.isValid())
            return std::nullopt;
        return c;
    };
}

void CommonDialog::ShowColor(QWidget* owner) {
    const QPalette pal = owner != nullptr ? owner->palette() : QPalette();
    if (const auto chosen = prompt_(korv::host::qcolorFromOle(Color, pal), owner))
        Color = korv::host::oleFromQColor(*chosen);
}

} // namespace tarvix
