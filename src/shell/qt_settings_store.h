#pragma once

#include <QString>
#include <map>

#include "state/player_settings.h"

namespace lum {

// The player's settings in an INI file. QSettings reads it (so files of every earlier version
// read as they did); the game writes it itself, whole or not at all, so a failed write keeps
// the previous file and says why.
class QtSettingsStore : public SettingsStore {
  public:
    explicit QtSettingsStore(const QString& file);
    ~QtSettingsStore() override;

    std::string fault() const override { return fault_; }
    std::optional<std::string> get(const std::string& key) const override;
    void set(const std::string& key, const std::string& value) override;
    void remove(const std::string& key) override;
    bool flush() override;
    std::string write_fault() const override { return write_fault_; }
    std::string name() const override { return file_.toStdString(); }

  private:
    QString file_;
    std::map<std::string, std::string> values_;  // "section/key" → value
    std::string fault_;
    std::string write_fault_;
};

// The INI text of `values` as QSettings reads it back: a [section] for each key's part before
// the '/', values quoted where a comma, a semicolon or another special character would change
// their meaning.
std::string settings_ini_text(const std::map<std::string, std::string>& values);

// $XDG_CONFIG_HOME/luminaria/settings.ini (~/.config when the variable is not set).
QString default_settings_file();

}  // namespace lum
