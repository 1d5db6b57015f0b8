#pragma once

// The four exports of a control library, written once: KORV_CONTROL_SERVER(Class, ids) in one .cpp of
// the library defines them for its one control class `Class`, whose identifiers (kProgId, kClassId,
// kTypeLibId, kTypeLibVersion, kTypeLibDescription) live in namespace `ids`.

#include "controls/host/classfactory.h"

// The registration function is also the anchor by which the library finds its own path: a function with
// internal linkage cannot be interposed by a same-named export of another library loaded earlier.
#define KORV_CONTROL_SERVER(Class, ids)                                                                                \
    namespace {                                                                                                        \
    korv::host::ServerRegistration registration() {                                                                    \
        return {QString::fromLatin1(ids::kProgId),         QStringLiteral(#Class),                                     \
                QString::fromLatin1(ids::kClassId),        QString::fromLatin1(ids::kTypeLibId),                       \
                QString::fromLatin1(ids::kTypeLibVersion), QString::fromUtf8(ids::kTypeLibDescription)};               \
    }                                                                                                                  \
    using Server = korv::host::ControlServer<Class>;                                                                   \
    }                                                                                                                  \
    extern "C" {                                                                                                       \
    __attribute__((visibility("default"))) korv::host::HResult DllRegisterServer() {                                   \
        return korv::host::registerServer(registration(),                                                              \
                                          korv::host::libraryPathOf(reinterpret_cast<const void*>(&registration)));    \
    }                                                                                                                  \
    __attribute__((visibility("default"))) korv::host::HResult DllUnregisterServer() {                                 \
        return korv::host::unregisterServer(registration());                                                           \
    }                                                                                                                  \
    __attribute__((visibility("default"))) korv::host::HResult                                                         \
    DllGetClassObject(const char* classId, const char* interfaceId, void** object) {                                   \
        return Server::getClassObject(ids::kClassId, classId, interfaceId, object);                                    \
    }                                                                                                                  \
    __attribute__((visibility("default"))) korv::host::HResult DllCanUnloadNow() { return Server::canUnloadNow(); }    \
    }
