#include "settings_store.h"

#include <cstring>

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            "Brindlecote", "Huemark 4.04")) {}

SettingsStore::SettingsStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

QString SettingsStore::keyOf(const QString& section, const QString& name) {
    return section.isEmpty() ? name : section + "/" + name;
}

bool SettingsStore::readString(const QString& section, const QString& name, QString& value) const {
    const QVariant stored = settings_->value(keyOf(section, name));
    if (!stored.isValid()) {
        return false;
    }
    value = stored.toString();
    return true;
}

bool SettingsStore::readInteger(const QString& section, const QString& name, int& value) const {
    bool ok = false;
    const int read = settings_->value(keyOf(section, name)).toInt(&ok);
    if (ok) {
        value = read;
    }
    return ok;
}

bool SettingsStore::readBytes(const QString& section, const QString& name,
                              QByteArray& value) const {
    const QVariant stored = settings_->value(keyOf(section, name));
    if (!stored.isValid() || stored.typeId() != QMetaType::QByteArray) {
        return false;
    }
    value = stored.toByteArray();
    return true;
}

bool SettingsStore::readBinary(const QString& section, const QString& name, void* buffer,
                               std::size_t size) const {
    QByteArray bytes;
    if (!readBytes(section, name, bytes) || static_cast<std::size_t>(bytes.size()) != size) {
        return false;
    }
    std::memcpy(buffer, bytes.constData(), size);
    return true;
}

void SettingsStore::writeString(const QString& section, const QString& name, const QString& value) {
    settings_->setValue(keyOf(section, name), value);
}

void SettingsStore::writeInteger(const QString& section, const QString& name, int value) {
    settings_->setValue(keyOf(section, name), value);
}

void SettingsStore::writeBinary(const QString& section, const QString& name, const void* data,
                                std::size_t size) {
    settings_->setValue(keyOf(section, name),
                        QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size)));
}

void SettingsStore::remove(const QString& section, const QString& name) {
    settings_->remove(keyOf(section, name));
}

void SettingsStore::sync() {
    settings_->sync();
}
