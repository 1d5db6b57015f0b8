#pragma once

// The program's title and version.

#include <QString>

namespace korv::app {

// The program's title as the forms show it; the trailing space is part of it.
inline const QString kProgramTitle = QStringLiteral("Лётная книжка ");

inline constexpr int kVersionMajor = KORV_VERSION_MAJOR;
inline constexpr int kVersionMinor = KORV_VERSION_MINOR;
inline constexpr int kVersionRevision = KORV_VERSION_PATCH;

// "1.1.30"
inline QString versionText() {
    return QString::number(kVersionMajor) + QLatin1Char('.') + QString::number(kVersionMinor) + QLatin1Char('.') +
           QString::number(kVersionRevision);
}

inline const QString kCompanyName = QStringLiteral("Korvelanta");
inline const QString kWebAddress = QStringLiteral("https://korvelanta.example.org/");

} // namespace korv::app
