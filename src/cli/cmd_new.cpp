#include "cli/commands.h"

#include <QTextStream>

namespace korv::cli {

int runNew(const QStringList&) {
    QTextStream(stderr) << "korvelanta-cli new: ещё не реализовано\n";
    return 1;
}

} // namespace korv::cli
