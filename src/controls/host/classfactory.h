#pragma once

// The class factory and the four exports of a control library.

#include "controls/host/control.h"
#include "controls/host/registry.h"
#include "controls/host/site.h"

#include <QFileInfo>
#include <QString>

#include <cstdint>
#include <cstring>
#include <dlfcn.h>

class QWidget;

namespace korv::host {

// Result codes of the four library exports, with the classic values so that a log reads as usual.
using HResult = std::int32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kFalse = 1;
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kPointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kClassNotAvailable = static_cast<HResult>(0x80040111u);
inline constexpr HResult kSelfRegClass = static_cast<HResult>(0x80040201u);

// The interface id DllGetClassObject is asked for. A library answers only for this id, so a program
// and a library built against different versions of this header fail cleanly instead of calling
// through a mismatched table.
inline constexpr const char* kIidClassFactory = "{B2C36537-E0EB-470D-BBB2-A2BC2AE8CBEF}";

class ClassFactory {
public:
    virtual ~ClassFactory() = default;
    // Creates the control as a child of parent; the site may be nullptr.
    virtual Control* createInstance(ControlSite* site, QWidget* parent) = 0;
};

// Signatures of the exports, for QLibrary::resolve.
extern "C" {
using DllGetClassObjectFn = HResult (*)(const char* classId, const char* interfaceId, void** object);
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
using DllCanUnloadNowFn = HResult (*)();
}

// What a library writes into the registry for its one control class.
struct ServerRegistration {
    QString progId;         // "Project1.TarvixProgress"
    QString className;      // "TarvixProgress"
    QString classId;        // "{...}"
    QString typeLibId;      // "{...}"
    QString typeLibVersion; // "1.5"
    QString typeLibDescription;
};

// Absolute path of the shared library that holds the given address.
inline QString libraryPathOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

inline HResult registerServer(const ServerRegistration& r, const QString& libraryPath) {
    if (libraryPath.isEmpty())
        return kSelfRegClass;
    Registry reg;
    const QString root = QStringLiteral("HKEY_CLASSES_ROOT\\");
    const QString cls = root + QStringLiteral("CLSID\\") + r.classId;
    const QString lib = root + QStringLiteral("TypeLib\\") + r.typeLibId + QLatin1Char('\\') + r.typeLibVersion;
    bool ok = reg.setValue(root + r.progId, {}, r.className);
    ok = ok && reg.setValue(root + r.progId + QStringLiteral("\\CLSID"), {}, r.classId);
    ok = ok && reg.setValue(cls, {}, r.className);
    ok = ok && reg.setValue(cls + QStringLiteral("\\InprocServer32"), {}, libraryPath);
    ok = ok && reg.setValue(cls + QStringLiteral("\\ProgID"), {}, r.progId);
    ok = ok && reg.setValue(cls + QStringLiteral("\\TypeLib"), {}, r.typeLibId);
    ok = ok && reg.setValue(lib, {}, r.typeLibDescription);
    ok = ok && reg.setValue(lib + QStringLiteral("\\0\\linux"), {}, libraryPath);
    return ok ? kOk : kSelfRegClass;
}

// The class-object and unload exports of a library that serves one control class. The exports
// themselves stay in each library (they must be its own symbols) and forward here.
template <typename ControlClass>
struct ControlServer {
    class Factory : public ClassFactory {
    public:
        Control* createInstance(ControlSite* site, QWidget* parent) override { return new ControlClass(site, parent); }
    };

    static HResult getClassObject(const char* ownClassId, const char* classId, const char* interfaceId, void** object) {
        if (object == nullptr)
            return kPointer;
        *object = nullptr;
        if (classId == nullptr ||
            QString::fromLatin1(classId).compare(QLatin1String(ownClassId), Qt::CaseInsensitive) != 0)
            return kClassNotAvailable;
        if (interfaceId == nullptr || std::strcmp(interfaceId, kIidClassFactory) != 0)
            return kNoInterface;
        static Factory factory;
        *object = static_cast<ClassFactory*>(&factory);
        return kOk;
    }

    static HResult canUnloadNow() { return ControlClass::liveInstances() == 0 ? kOk : kFalse; }
};

inline HResult unregisterServer(const ServerRegistration& r) {
    Registry reg;
    const QString root = QStringLiteral("HKEY_CLASSES_ROOT\\");
    bool ok = reg.removeKey(root + r.progId);
    ok = reg.removeKey(root + QStringLiteral("CLSID\\") + r.classId) && ok;
    ok = reg.removeKey(root + QStringLiteral("TypeLib\\") + r.typeLibId) && ok;
    return ok ? kOk : kSelfRegClass;
}

} // namespace korv::host
