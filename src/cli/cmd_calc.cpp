#include "cli/commands.h"

#include <QTextStream>

namespace korv::cli {

int runCalc(const QStringList&) {
    QTextStream(stderr) << "korvelanta-cli calc: ещё не реализовано\n";
    return 1;
}

} // namespace korv::cli
