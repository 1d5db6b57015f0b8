#include "logbook/book_names.h"

#include <QDir>
#include <QFileInfo>

namespace korv::logbook {

QString bookPath(const QString& bookDir) {
    return QDir::cleanPath(QFileInfo(bookDir).absoluteFilePath()) + u'/' + kBookFileName;
}

} // namespace korv::logbook
