#include "bookfiles/book_folder.h"
#include "cli/commands.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace korv::cli {

QString folderOfRun(const QString& given, const QString& command) {
    if (!given.isEmpty())
        return QDir::cleanPath(QFileInfo(given).absoluteFilePath());
    const logbook::files::BookFolder settled = logbook::files::settleDefaultBookFolder();
    if (!settled.notice.isEmpty())
        QTextStream(stderr) << "korvelanta-cli " << command << ": " << settled.notice << '\n';
    return settled.folder;
}

} // namespace korv::cli
