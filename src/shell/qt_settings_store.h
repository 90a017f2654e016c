#pragma once

#include <QString>
#include <memory>

#include "state/player_settings.h"

class QSettings;

namespace lum {

// The player's settings in an INI file through QSettings.
class QtSettingsStore : public SettingsStore {
  public:
    explicit QtSettingsStore(const QString& file);
    ~QtSettingsStore() override;

    std::string fault() const override { return fault_; }
    std::optional<std::string> get(const std::string& key) const override;
    void set(const std::string& key, const std::string& value) override;
    void remove(const std::string& key) override;
    bool flush() override;
    std::string name() const override { return file_.toStdString(); }

  private:
    QString file_;
    std::unique_ptr<QSettings> s_;
    std::string fault_;
    bool replaced_ = false;
};

// $XDG_CONFIG_HOME/luminaria/settings.ini (~/.config when the variable is not set).
QString default_settings_file();

}  // namespace lum
