#pragma once

// The program's own small registry of control classes and settings.

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace korv::host {

// The program's own small registry: an INI file whose keys mirror registry paths
// ("HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32"). A key's default value is stored under the value
// name "Default". The file lives in the user's configuration directory; the environment variable
// KORV_REGISTRY names another file, which is how tests and the build keep away from the user's own.
//
// Header-only, because the control libraries write their registration through it and link nothing of
// the program.
class Registry {
public:
    static QString defaultPath() {
        const QString env = qEnvironmentVariable("KORV_REGISTRY");
        if (!env.isEmpty())
            return env;
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/Korvelanta/registry.ini");
    }

    explicit Registry(QString path = defaultPath()) : path_(std::move(path)) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
    }

    const QString& path() const { return path_; }

    // key: a registry path with backslashes; valueName empty for the key's default value.
    QString value(const QString& key, const QString& valueName = {}) const {
        QSettings s(path_, QSettings::IniFormat);
        return s.value(settingsKey(key, valueName)).toString();
    }

    bool setValue(const QString& key, const QString& valueName, const QString& value) {
        QSettings s(path_, QSettings::IniFormat);
        s.setValue(settingsKey(key, valueName), value);
        s.sync();
        return s.status() == QSettings::NoError;
    }

    // Removes the key with its values and subkeys.
    bool removeKey(const QString& key) {
        QSettings s(path_, QSettings::IniFormat);
        s.remove(toSlashes(key));
        s.sync();
        return s.status() == QSettings::NoError;
    }

    QStringList subKeys(const QString& key) const {
        QSettings s(path_, QSettings::IniFormat);
        s.beginGroup(toSlashes(key));
        return s.childGroups();
    }

    // Registered classes: ProgID -> library, through the class id.
    // ProgIDs match without regard to case, as registry keys do.
    QString classIdOf(const QString& progId) const {
        const QString root = QStringLiteral("HKEY_CLASSES_ROOT");
        QString key = progId;
        for (const QString& k : subKeys(root))
            if (k.compare(progId, Qt::CaseInsensitive) == 0)
                key = k;
        return value(root + QLatin1Char('\\') + key + QStringLiteral("\\CLSID"));
    }
    QString libraryOf(const QString& classId) const {
        return value(QStringLiteral("HKEY_CLASSES_ROOT\\CLSID\\") + classId + QStringLiteral("\\InprocServer32"));
    }
    // ProgIDs of every registered class, for a container's list of controls.
    QStringList registeredProgIds() const {
        QStringList out;
        const QString root = QStringLiteral("HKEY_CLASSES_ROOT\\CLSID");
        for (const QString& clsid : subKeys(root)) {
            const QString prog = value(root + QLatin1Char('\\') + clsid + QStringLiteral("\\ProgID"));
            if (!prog.isEmpty())
                out << prog;
        }
        out.sort();
        return out;
    }

private:
    static QString toSlashes(QString key) { return key.replace(QLatin1Char('\\'), QLatin1Char('/')); }
    static QString settingsKey(const QString& key, const QString& valueName) {
        return toSlashes(key) + QLatin1Char('/') + (valueName.isEmpty() ? QStringLiteral("Default") : valueName);
    }

    QString path_;
};

} // namespace korv::host
