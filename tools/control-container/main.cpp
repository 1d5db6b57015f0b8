// control-container: places a registered control by ProgID, edits its properties by name, calls its
// AboutBox and saves or loads its property bag as a text file.
//   control-container [ProgID | file.bag]
#include "containerwindow.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("control-container"));
    ContainerWindow w;
    w.show();
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty()) {
        if (QFileInfo::exists(args.front()))
            w.loadFrom(args.front());
        else
            w.place(args.front());
    }
    return app.exec();
}
