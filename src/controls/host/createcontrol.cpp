#include "controls/host/createcontrol.h"

#include "controls/host/classfactory.h"
#include "controls/host/controlerror.h"
#include "controls/host/registry.h"

#include <QLibrary>

#include <map>
#include <memory>

namespace korv::host {

namespace {

// Libraries are never unloaded: a control's widget, its vtable and the code of its event handlers live
// in the library, and the container may hold controls until the process ends. (Destroying a QLibrary
// object at exit does not unload its library.)
QLibrary* loadLibrary(const QString& path) {
    static std::map<QString, std::unique_ptr<QLibrary>> loaded; // the user-interface thread only
    if (auto it = loaded.find(path); it != loaded.end())
        return it->second.get();
    auto lib = std::make_unique<QLibrary>(path);
    if (!lib->load())
        throw ControlError::cannotCreate(lib->errorString());
    return loaded.emplace(path, std::move(lib)).first->second.get();
}

} // namespace

Control* CreateControl(const QString& progId, ControlSite* site, QWidget* parent) {
    return CreateControl(progId, site, parent, Registry::defaultPath());
}

Control* CreateControl(const QString& progId, ControlSite* site, QWidget* parent, const QString& registryPath) {
    const Registry reg(registryPath);
    const QString classId = reg.classIdOf(progId);
    if (classId.isEmpty())
        throw ControlError::cannotCreate(QStringLiteral("класс \"") + progId + QStringLiteral("\" не зарегистрирован"));
    const QString path = reg.libraryOf(classId);
    if (path.isEmpty())
        throw ControlError::cannotCreate(QStringLiteral("нет библиотеки класса ") + classId);

    QLibrary* lib = loadLibrary(path);
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(lib->resolve("DllGetClassObject"));
    if (getClassObject == nullptr)
        throw ControlError::cannotCreate(path + QStringLiteral(": нет DllGetClassObject"));

    void* object = nullptr;
    const QByteArray cls = classId.toLatin1();
    const HResult hr = getClassObject(cls.constData(), kIidClassFactory, &object);
    if (hr != kOk || object == nullptr)
        throw ControlError::cannotCreate(classId + QStringLiteral(": код ") + QString::number(hr, 16));
    auto* factory = static_cast<ClassFactory*>(object);
    Control* control = factory->createInstance(site, parent);
    if (control == nullptr)
        throw ControlError::cannotCreate(progId);
    return control;
}

HResult RegisterLibrary(const QString& libraryPath, bool unregister) {
    QLibrary lib(libraryPath);
    if (!lib.load())
        return kFail;
    const char* name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fn = reinterpret_cast<DllRegisterServerFn>(lib.resolve(name));
    // Kept loaded: unloading a Qt-linked library that registered metatypes is not worth the risk.
    return fn != nullptr ? fn() : kFail;
}

} // namespace korv::host
