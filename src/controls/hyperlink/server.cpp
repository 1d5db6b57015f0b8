// The library's exports: registration of DrovanettaX and its class factory.
#include "controls/host/classfactory.h"
#include "controls/hyperlink/drovanettax.h"

#include <cstring>

using namespace korv::host;

namespace {

class DrovanettaFactory : public ClassFactory {
public:
    Control* createInstance(ControlSite* site, QWidget* parent) override { return new DrovanettaX(site, parent); }
};

// Also the anchor by which the library finds its own path: a function with internal linkage cannot be
// interposed by a same-named export of another library loaded earlier.
ServerRegistration registration() {
    return {QString::fromLatin1(drovanetta::kProgId),         QStringLiteral("DrovanettaX"),
            QString::fromLatin1(drovanetta::kClassId),        QString::fromLatin1(drovanetta::kTypeLibId),
            QString::fromLatin1(drovanetta::kTypeLibVersion), QString::fromUtf8(drovanetta::kTypeLibDescription)};
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) HResult DllRegisterServer() {
    return registerServer(registration(), libraryPathOf(reinterpret_cast<const void*>(&registration)));
}

__attribute__((visibility("default"))) HResult DllUnregisterServer() { return unregisterServer(registration()); }

__attribute__((visibility("default"))) HResult DllGetClassObject(const char* classId, const char* interfaceId,
                                                                 void** object) {
    if (object == nullptr)
        return kPointer;
    *object = nullptr;
    if (classId == nullptr ||
        QString::fromLatin1(classId).compare(QLatin1String(drovanetta::kClassId), Qt::CaseInsensitive) != 0)
        return kClassNotAvailable;
    if (interfaceId == nullptr || std::strcmp(interfaceId, kIidClassFactory) != 0)
        return kNoInterface;
    static DrovanettaFactory factory;
    *object = static_cast<ClassFactory*>(&factory);
    return kOk;
}

__attribute__((visibility("default"))) HResult DllCanUnloadNow() {
    return DrovanettaX::liveInstances() == 0 ? kOk : kFalse;
}
}
