#include "shell/qt_settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace lum {

QtSettingsStore::QtSettingsStore(const QString& file)
    : file_(file), s_(std::make_unique<QSettings>(file, QSettings::IniFormat)) {
    QFileInfo info(file);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        fault_ = file.toStdString() + " cannot be read";
    else if (s_->status() == QSettings::FormatError)
        fault_ = file.toStdString() + " is not a settings file";
    else if (s_->status() == QSettings::AccessError)
        fault_ = file.toStdString() + " cannot be read";
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::string> QtSettingsStore::get(const std::string& key) const {
    QString k = QString::fromStdString(key);
    if (!s_->contains(k)) return std::nullopt;
    QVariant v = s_->value(k);
    // An unquoted value with commas comes back as a list.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',').toStdString();
    return v.toString().toStdString();
}

void QtSettingsStore::set(const std::string& key, const std::string& value) {
    if (!fault_.empty() && !replaced_) {
        // A file that could not be read is replaced by the settings in force.
        replaced_ = true;
        s_.reset();
        QFile::remove(file_);
        s_ = std::make_unique<QSettings>(file_, QSettings::IniFormat);
    }
    s_->setValue(QString::fromStdString(key), QString::fromStdString(value));
}

void QtSettingsStore::remove(const std::string& key) {
    s_->remove(QString::fromStdString(key));
}

bool QtSettingsStore::flush() {
    s_->sync();
    return s_->status() == QSettings::NoError;
}

QString default_settings_file() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/luminaria/settings.ini");
}

}  // namespace lum
