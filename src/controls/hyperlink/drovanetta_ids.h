#pragma once

// DrovanettaX as its callers name it, as a type library would tell them: the ProgID and class
// identifiers, and the dispatch identifiers of its members. No widget code.

#include "controls/host/dispatch.h"

namespace drovanetta {

inline constexpr const char* kProgId = "Drovanetta.DrovanettaX";
inline constexpr const char* kClassId = "{9BE55EA1-04FD-4C83-8EBF-FD24FD69B068}";
inline constexpr const char* kInterfaceId = "{B355BF54-1301-414E-89FA-7AC2C3BF8E39}";
inline constexpr const char* kTypeLibId = "{5EEAEB50-0BCD-4475-9A45-3FD694D8F23B}";
inline constexpr const char* kTypeLibVersion = "1.0";
inline constexpr const char* kTypeLibDescription = "Drovanetta";
// The link a new label shows: the library author's site.
inline constexpr const char* kDefaultLink = "https://drovanetta.example.org/";

inline constexpr korv::host::DispId kDispBase = 0x68030000;
enum DispIds : korv::host::DispId {
    DispFont = kDispBase + 0,
    DispBackColor = kDispBase + 1,
    DispInactiveColor = kDispBase + 2,
    DispActiveColor = kDispBase + 3,
    DispCaption = kDispBase + 4,
    DispDrovanetta = kDispBase + 5,
    DispOpenDrovanetta = 0x60030014,
};

} // namespace drovanetta
