// The library's exports: registration of DrovanettaX and its class object.
#include "controls/host/classfactory.h"
#include "controls/hyperlink/drovanettax.h"

using namespace korv::host;

namespace {

// Also the anchor by which the library finds its own path: a function with internal linkage cannot be
// interposed by a same-named export of another library loaded earlier.
ServerRegistration registration() {
    return {QString::fromLatin1(drovanetta::kProgId),         QStringLiteral("DrovanettaX"),
            QString::fromLatin1(drovanetta::kClassId),        QString::fromLatin1(drovanetta::kTypeLibId),
            QString::fromLatin1(drovanetta::kTypeLibVersion), QString::fromUtf8(drovanetta::kTypeLibDescription)};
}

using Server = ControlServer<DrovanettaX>;

} // namespace

extern "C" {

__attribute__((visibility("default"))) HResult DllRegisterServer() {
    return registerServer(registration(), libraryPathOf(reinterpret_cast<const void*>(&registration)));
}

__attribute__((visibility("default"))) HResult DllUnregisterServer() { return unregisterServer(registration()); }

__attribute__((visibility("default"))) HResult DllGetClassObject(const char* classId, const char* interfaceId,
                                                                 void** object) {
    return Server::getClassObject(drovanetta::kClassId, classId, interfaceId, object);
}

__attribute__((visibility("default"))) HResult DllCanUnloadNow() { return Server::canUnloadNow(); }
}
