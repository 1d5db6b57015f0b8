#pragma once

// TarvixProgress as its callers name it, as a type library would tell them: the ProgID and class
// identifiers, and the dispatch identifiers of its members. No widget code: the program includes this to
// reach the bar late-bound, through the registry and these numbers.

#include "controls/host/dispatch.h"

namespace tarvix {

inline constexpr const char* kProgId = "Project1.TarvixProgress";
inline constexpr const char* kClassId = "{4449A04C-BE6D-483C-9E7D-385AC8C40BD0}";
inline constexpr const char* kInterfaceId = "{5985B2B8-CF7F-4E56-8459-601FBD3632B1}";
inline constexpr const char* kTypeLibId = "{06FEECA8-7469-417C-B8A1-3D52B2C05398}";
inline constexpr const char* kTypeLibVersion = "1.5";
inline constexpr const char* kTypeLibDescription = "Красивый прогрессбар TarvixProgress 1.5";

// Dispatch identifiers: the properties count from the last one upwards on this base. The program
// calls Min, Max and Value by these numbers, so they never change.
inline constexpr korv::host::DispId kDispBase = 0x68030000;
enum DispIds : korv::host::DispId {
    DispBorderStyle = kDispBase + 0,
    DispCaptionVisible = kDispBase + 1,
    DispMax = kDispBase + 2,
    DispMin = kDispBase + 3,
    DispInvertPersent = kDispBase + 4,
    DispForeColor = kDispBase + 5,
    DispBackColor = kDispBase + 6,
    DispStyle = kDispBase + 7,
    DispText = kDispBase + 8,
    DispBackStretch = kDispBase + 9,
    DispBackPicture = kDispBase + 10,
    DispStretch = kDispBase + 11,
    DispPicture = kDispBase + 12,
    DispColor = kDispBase + 13,
    DispValue = kDispBase + 14,
    DispFont = -512,
    DispAboutBox = -552,
};

} // namespace tarvix
