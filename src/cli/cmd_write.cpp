#include "cli/commands.h"

#include <QTextStream>

namespace korv::cli {

int runWrite(const QStringList&) {
    QTextStream(stderr) << "korvelanta-cli write: ещё не реализовано\n";
    return 1;
}

} // namespace korv::cli
