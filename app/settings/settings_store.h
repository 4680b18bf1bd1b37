// The persisted settings: what the program's original platform kept in the registry, kept
// here in an INI file in the user's configuration folder through QSettings. Sections are the
// registry's subkeys ("DirSection", "Recent File List"); an empty section is the base path.
// Every access fails silently: a missing value leaves the caller's default, a failed write is
// ignored.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <cstddef>
#include <memory>

class SettingsStore {
public:
    // The user's settings of the program (organisation "Brindlecote", application
    // "Huemark 4.04"), or a given file (tests, portable use).
    SettingsStore();
    explicit SettingsStore(const QString& fileName);

    bool readString(const QString& section, const QString& name, QString& value) const;
    bool readInteger(const QString& section, const QString& name, int& value) const;
    // Succeeds only when exactly `size` bytes are stored.
    bool readBinary(const QString& section, const QString& name, void* buffer,
                    std::size_t size) const;
    bool readBytes(const QString& section, const QString& name, QByteArray& value) const;

    void writeString(const QString& section, const QString& name, const QString& value);
    void writeInteger(const QString& section, const QString& name, int value);
    void writeBinary(const QString& section, const QString& name, const void* data,
                     std::size_t size);
    void remove(const QString& section, const QString& name);
    // Writes pending changes to disk.
    void sync();

private:
    static QString keyOf(const QString& section, const QString& name);
    std::unique_ptr<QSettings> settings_;
};
