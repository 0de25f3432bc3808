#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdlib>

namespace trawlonix {

namespace {

QString Key(std::string_view group, std::string_view name) {
  return QString::fromUtf8(group.data(), static_cast<qsizetype>(group.size())) + '/' +
         QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

struct SettingsStore::Impl {
  explicit Impl(const QString& file) : settings(file, QSettings::IniFormat) {}
  QSettings settings;
};

SettingsStore::SettingsStore() : SettingsStore(DefaultPath()) {}

SettingsStore::SettingsStore(const std::string& path)
    : path_(path), d_(std::make_unique<Impl>(QString::fromStdString(path))) {}

SettingsStore::~SettingsStore() = default;

std::string SettingsStore::DefaultPath() {
  const char* over = std::getenv("TRAWLONIX_SETTINGS");
  if (over != nullptr && *over != '\0') return over;
  QString base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg != '\0') {
    base = QString::fromLocal8Bit(xdg);
  } else {
    base = QDir::homePath() + "/.config";
  }
  return (base + "/Morvek/Trawlonix.conf").toStdString();
}

std::optional<std::string> SettingsStore::Read(std::string_view group,
                                               std::string_view name) const {
  const QVariant v = d_->settings.value(Key(group, name));
  if (!v.isValid()) return std::nullopt;
  // A hand-edited INI line with unquoted commas comes back as a list; the
  // value is still one text.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',').toStdString();
  return v.toString().toStdString();
}

void SettingsStore::Write(std::string_view group, std::string_view name, std::string_view value) {
  d_->settings.setValue(Key(group, name),
                        QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

bool SettingsStore::Sync() {
  const QFileInfo info(QString::fromStdString(path_));
  QDir().mkpath(info.absolutePath());
  d_->settings.sync();
  return d_->settings.status() == QSettings::NoError;
}

}  // namespace trawlonix
