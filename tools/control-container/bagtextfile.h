#pragma once

// The container's text form of a property bag.

#include "controls/host/propertybag.h"

#include <QString>

// The container's text form of a property bag: one entry a line, "Name = kind value", readable and
// editable by hand:
//
//   _ProgID = str "Project1.TarvixProgress"
//   Value = i16 57
//   ForeColor = colour &H00C00000
//   Text = str "Итого"
//   Font = font "Liberation Sans,9,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
//   Picture = picture data:image/png;base64,iVBORw0...
//
// Entries whose names begin with "_" belong to the container (the ProgID and the size in twips, as
// saved forms keep "_extentx"); the control never reads them. Blank lines and lines starting with "#"
// are ignored. Kinds: i16, i32, num, colour, bool, str, font, picture, empty.
namespace container {

inline const QString kProgIdEntry = QStringLiteral("_ProgID");
inline const QString kExtentXEntry = QStringLiteral("_ExtentX");
inline const QString kExtentYEntry = QStringLiteral("_ExtentY");

QString bagToText(const korv::host::MemoryPropertyBag& bag);

// Fails with ControlError (TypeMismatch) naming the line that cannot be read.
korv::host::MemoryPropertyBag bagFromText(const QString& text);

// Files are UTF-8. Both fail with ControlError when the file cannot be written or read.
void saveBagFile(const QString& path, const korv::host::MemoryPropertyBag& bag);
korv::host::MemoryPropertyBag loadBagFile(const QString& path);

// One value in the text form, and back; exposed for the property table of the container.
QString valueToText(const QVariant& v);
QVariant valueFromText(const QString& kindAndValue);

} // namespace container
