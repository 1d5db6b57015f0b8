#include "controls/progress/about_rules.h"

namespace tarvix {

QString productLine() { return QStringLiteral("Контрол Tarvix Progress(Красивый Progress Bar) v 1.5"); }
QString authorName() { return QStringLiteral("Илья Тарвин"); }
QString authorMail() { return QStringLiteral("tarvix.progress@example.org"); }

MailLinkLook mailLinkLook(int look) {
    switch (look) {
    case 1:
        return {0xFF8080, true};
    case 2:
        return {0x800080, true};
    default:
        return {0xFF0000, false};
    }
}

bool pointerOutside(int x, int y, int width, int height) { return x <= 0 || x >= width || y <= 0 || y >= height; }

QString shellFailureText(const QString& link) {
    return QStringLiteral("Невозможно выполнить \"") + link + QStringLiteral("\".\n") +
           QStringLiteral("Файл не найден или компьютер не настроен для работы в Internet.");
}

} // namespace tarvix
