// The library's exports: registration of TarvixProgress and its class factory.
#include "controls/host/classfactory.h"
#include "controls/progress/tarvixprogress.h"

#include <cstring>

using namespace korv::host;

namespace {

class TarvixFactory : public ClassFactory {
public:
    Control* createInstance(ControlSite* site, QWidget* parent) override { return new TarvixProgress(site, parent); }
};

// Also the anchor by which the library finds its own path: a function with internal linkage cannot be
// interposed by a same-named export of another library loaded earlier.
ServerRegistration registration() {
    return {QString::fromLatin1(tarvix::kProgId),         QStringLiteral("TarvixProgress"),
            QString::fromLatin1(tarvix::kClassId),        QString::fromLatin1(tarvix::kTypeLibId),
            QString::fromLatin1(tarvix::kTypeLibVersion), QString::fromUtf8(tarvix::kTypeLibDescription)};
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
        QString::fromLatin1(classId).compare(QLatin1String(tarvix::kClassId), Qt::CaseInsensitive) != 0)
        return kClassNotAvailable;
    if (interfaceId == nullptr || std::strcmp(interfaceId, kIidClassFactory) != 0)
        return kNoInterface;
    static TarvixFactory factory;
    *object = static_cast<ClassFactory*>(&factory);
    return kOk;
}

__attribute__((visibility("default"))) HResult DllCanUnloadNow() {
    return TarvixProgress::liveInstances() == 0 ? kOk : kFalse;
}
}
