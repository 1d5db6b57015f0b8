// control-container: places a registered control by ProgID, edits its properties by name or in its
// property dialog, calls its AboutBox and saves or loads its property bag as a text file.
//   control-container [--properties] [ProgID | file.bag]
// --properties opens the property dialog of the placed control at once.
#include "containerwindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("control-container"));
    ContainerWindow w;
    w.show();
    QStringList args = app.arguments().mid(1);
    const bool properties = args.removeAll(QStringLiteral("--properties")) > 0;
    if (!args.isEmpty()) {
        if (QFileInfo::exists(args.front()))
            w.loadFrom(args.front());
        else
            w.place(args.front());
    }
    if (properties)
        QTimer::singleShot(0, &w, &ContainerWindow::showProperties);
    return app.exec();
}
