#pragma once

// Creating a registered control by its ProgID.

#include "controls/host/classfactory.h"
#include "controls/host/control.h"
#include "controls/host/site.h"

#include <QString>

class QWidget;

namespace korv::host {

// Creates a registered control by its ProgID: finds the class id and the library in the registry,
// loads the library (it stays loaded for the life of the process), asks DllGetClassObject for the
// class factory and creates the control as a child of parent. Fails with
// ControlError::CannotCreateObject naming what was missing.
Control* CreateControl(const QString& progId, ControlSite* site, QWidget* parent);

// The same with an explicit registry file.
Control* CreateControl(const QString& progId, ControlSite* site, QWidget* parent, const QString& registryPath);

// Loads a library and calls its DllRegisterServer or DllUnregisterServer; returns the result code.
HResult RegisterLibrary(const QString& libraryPath, bool unregister = false);

} // namespace korv::host
