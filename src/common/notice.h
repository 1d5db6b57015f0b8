#pragma once

// What the logic has to tell the pilot: a message with its title and icon. The logic returns notices with
// its outcomes; the desktop program shows them as message boxes, the CLI prints them.

#include <QList>
#include <QString>

namespace korv {

struct Notice {
    enum class Icon { None, Information, Warning, Critical, Question };

    QString title;
    QString text;
    Icon icon = Icon::None;

    friend bool operator==(const Notice&, const Notice&) = default;
};

using Notices = QList<Notice>;

} // namespace korv
