#include "logbook/exercise_lists.h"

#include <QSet>

namespace korv::logbook {

namespace {

// An exercise number as column E carries it: right-aligned in three characters.
QString number3(int n) { return QStringLiteral("%1").arg(n, 3); }

QSet<QString> listOf(std::initializer_list<int> numbers, int rangeFrom = 0, int rangeTo = -1) {
    QSet<QString> s;
    for (int n : numbers)
        s.insert(number3(n));
    for (int n = rangeFrom; n <= rangeTo; ++n)
        s.insert(number3(n));
    return s;
}

const QSet<QString>& dayTraining() {
    static const QSet<QString> s =
        listOf({2,  4,  6,  8,  10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 31, 32, 35, 37, 39, 41,
                43, 45, 46, 47, 49, 50, 52, 54, 56, 57, 58, 60, 62, 64, 65, 66, 67, 68, 70, 72, 74,
                76, 77, 78, 80, 82, 84, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98});
    return s;
}
const QSet<QString>& dayControl() {
    static const QSet<QString> s = listOf({1,  3,  5,  7,  9,  11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 33, 34, 36, 38,
                                           40, 42, 44, 48, 51, 53, 55, 59, 61, 63, 69, 71, 73, 75, 79, 81, 83, 85},
                                          201, 227);
    return s;
}
const QSet<QString>& nightTraining() {
    static const QSet<QString> s = listOf({102, 104, 110, 112, 135, 137, 139, 141, 143, 145, 149, 150,
                                           170, 172, 174, 176, 177, 180, 182, 191, 194, 197, 198});
    return s;
}
const QSet<QString>& nightControl() {
    static const QSet<QString> s =
        listOf({101, 103, 109, 111, 133, 134, 136, 138, 140, 142, 144, 179, 181, 228, 229, 230, 231, 233, 234});
    return s;
}

bool inDayLists(const QString& n) { return dayControl().contains(n) || dayTraining().contains(n); }
bool inNightLists(const QString& n) { return nightControl().contains(n) || nightTraining().contains(n); }

} // namespace

bool inDayControlList(const QString& n) { return dayControl().contains(n); }
bool inDayTrainingList(const QString& n) { return dayTraining().contains(n); }
bool inNightControlList(const QString& n) { return nightControl().contains(n); }
bool inNightTrainingList(const QString& n) { return nightTraining().contains(n); }

std::optional<QString> timeOfDayMismatch(long long exercise, const QString& dayNight) {
    if (exercise < 0 || exercise > 999)
        return std::nullopt;
    const QString n = number3(int(exercise));
    const bool night = dayNight == u"Н";
    if (dayNight != u"Д" && !night)
        return std::nullopt;
    if (night ? !inDayLists(n) || inNightLists(n) : !inNightLists(n) || inDayLists(n))
        return std::nullopt;
    const QString lists = night ? QStringLiteral("дневных") : QStringLiteral("ночных");
    const QString time = night ? QStringLiteral("ночью") : QStringLiteral("днём");
    const QString row = night ? QStringLiteral("Ночь") : QStringLiteral("День");
    const QString adjective = night ? QStringLiteral("ночном") : QStringLiteral("дневном");
    return QStringLiteral("упражнение %1 стоит в %2 списках итогов, а полёт %3: итоги сочтут его только в строке "
                          "«Итого … %4», ни в контрольном, ни в тренировочном %5 налёте")
        .arg(exercise)
        .arg(lists, time, row, adjective);
}

} // namespace korv::logbook
