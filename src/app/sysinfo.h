#pragma once

// The system-information tool of the About form, through the program's registry.

#include "controls/host/registry.h"

#include <QString>
#include <QStringList>

namespace korv::app::sysinfo {

// Where the About form looks for the system-information tool: first a full path, then a directory
// that must hold the tool's file.
inline const QString kToolKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kToolValue = QStringLiteral("PATH");
inline const QString kToolDirKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kToolDirValue = QStringLiteral("MSINFO");
inline const QString kToolFile = QStringLiteral("MSINFO32.EXE");
inline const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

// Desktop system-information programs, the most informative first.
inline const QStringList kDesktopTools = {QStringLiteral("hardinfo"),
                                          QStringLiteral("gnome-system-monitor"),
                                          QStringLiteral("mate-system-monitor"),
                                          QStringLiteral("plasma-systemmonitor"),
                                          QStringLiteral("ksysguard"),
                                          QStringLiteral("xfce4-taskmanager"),
                                          QStringLiteral("lxtask")};

// Reads a string value; an absent key or value gives false and an empty keyVal.
bool GetKeyValue(const host::Registry& registry, const QString& keyName, const QString& subKeyRef, QString& keyVal);

// The tool to start: the full path of the first entry as it stands (even when no file is there), else
// the directory entry with the tool's file in it when that file exists; empty when neither.
QString toolPath(const host::Registry& registry);

// Registers the first installed desktop tool as the full-path entry, unless that entry is already set.
// Returns the path now registered, empty when there is none.
QString registerDesktopTool(host::Registry& registry);

} // namespace korv::app::sysinfo
