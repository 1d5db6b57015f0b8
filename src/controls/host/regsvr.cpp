// korv-regsvr: registers (or with -u unregisters) control libraries in the program's registry. The
// build runs it on each control library it puts into the program directory.
#include "controls/host/createcontrol.h"
#include "controls/host/registry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool unregister = args.removeAll(QStringLiteral("-u")) > 0;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: korv-regsvr [-u] library...\n");
        return 2;
    }
    int failures = 0;
    for (const QString& a : args) {
        const QString path = QFileInfo(a).absoluteFilePath();
        const auto hr = korv::host::RegisterLibrary(path, unregister);
        std::printf("%s %s in %s: %s\n", unregister ? "unregister" : "register", qPrintable(path),
                    qPrintable(korv::host::Registry::defaultPath()), hr == korv::host::kOk ? "ok" : "FAILED");
        if (hr != korv::host::kOk)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
