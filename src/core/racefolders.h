#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace velaro {

// The races folder and its fixed sub-folders. Every file a race file names is
// resolved here, so that a name that is absolute or climbs out of its folder
// is refused like a missing file.
class RaceFolders {
 public:
  RaceFolders() = default;
  explicit RaceFolders(QString root);

  const QString& root() const { return m_root; }
  QString folder(const QString& sub) const;  // "<root>/<sub>"

  // Path of name inside sub, or nothing when name is unsafe.
  std::optional<QString> resolve(const QString& sub, const QString& name) const;
  // Like resolve, and the file must exist.
  std::optional<QString> existingFile(const QString& sub, const QString& name) const;

  static bool isSafeRelativeName(const QString& name);

 private:
  QString m_root;
};

inline constexpr const char* kRaceAdminFolder = "raceadmin";
inline constexpr const char* kGpsFolder = "gpsdat";
inline constexpr const char* kWindFolder = "winddat";
inline constexpr const char* kCoastlineFolder = "coastline";
inline constexpr const char* kAttachmentFolder = "attachment";
inline constexpr const char* kHelpFolder = "help";
inline constexpr const char* kHelpEnglishFolder = "help-e";
inline constexpr const char* kIconFolder = "ya";

}  // namespace velaro
