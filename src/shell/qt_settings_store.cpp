#include "shell/qt_settings_store.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <filesystem>

#include "state/dat_text.h"

namespace lum {

namespace {

bool plain_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view(" _./:+-()").find(c) != std::string_view::npos;
}

// A value as QSettings reads it back exactly: quoted with backslash escapes unless it is plain.
std::string ini_value(const std::string& v) {
    bool plain = v.empty() || (v.front() != ' ' && v.back() != ' ');
    for (char c : v) plain = plain && plain_char(c);
    if (plain) return v;
    std::string out = "\"";
    // QSettings takes a leading '@' for a type tag; "@@" stands for the character itself.
    if (!v.empty() && v.front() == '@') out += '@';
    for (char c : v) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string settings_ini_text(const std::map<std::string, std::string>& values) {
    std::map<std::string, std::map<std::string, std::string>> sections;
    for (const auto& [key, value] : values) {
        const auto slash = key.find('/');
        if (slash == std::string::npos)
            sections["General"][key] = value;
        else
            sections[key.substr(0, slash)][key.substr(slash + 1)] = value;
    }
    std::string text;
    for (const auto& [section, keys] : sections) {
        if (!text.empty()) text += "\n";
        text += "[" + section + "]\n";
        for (const auto& [key, value] : keys) text += key + "=" + ini_value(value) + "\n";
    }
    return text;
}

QtSettingsStore::QtSettingsStore(const QString& file) : file_(file) {
    QSettings s(file, QSettings::IniFormat);
    QFileInfo info(file);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        fault_ = file.toStdString() + " cannot be read";
    else if (s.status() == QSettings::FormatError)
        fault_ = file.toStdString() + " is not a settings file";
    else if (s.status() == QSettings::AccessError)
        fault_ = file.toStdString() + " cannot be read";
    if (!fault_.empty()) return;
    for (const QString& k : s.allKeys()) {
        QVariant v = s.value(k);
        // An unquoted value with commas comes back as a list.
        values_[k.toStdString()] = v.typeId() == QMetaType::QStringList
                                       ? v.toStringList().join(',').toStdString()
                                       : v.toString().toStdString();
    }
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::string> QtSettingsStore::get(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void QtSettingsStore::set(const std::string& key, const std::string& value) {
    // A file that could not be read is replaced by the settings in force at the next flush.
    values_[key] = value;
}

void QtSettingsStore::remove(const std::string& key) {
    values_.erase(key);
}

bool QtSettingsStore::flush() {
    const std::filesystem::path path = file_.toStdString();
    try {
        std::error_code ec;
        if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
        if (ec)
            throw DataError(path.parent_path().string(), 0,
                            "cannot make the folder: " + ec.message());
        write_file_atomic(path, settings_ini_text(values_));
        write_fault_.clear();
        return true;
    } catch (const DataError& e) {
        write_fault_ = e.what();
        return false;
    }
}

QString default_settings_file() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/luminaria/settings.ini");
}

}  // namespace lum
