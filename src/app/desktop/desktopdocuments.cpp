#include "app/desktop/desktopdocuments.h"

#include "app/desktop/platform.h"
#include "core/reports/filewrite.h"
#include "core/reports/performancetable.h"
#include "render/kmlicons.h"
#include "render/picturefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace velaro {

DesktopDocuments::DesktopDocuments(const RaceFolders& folders, Platform& platform)
    : m_folders(folders), m_platform(platform) {}

void DesktopDocuments::useDefaultDocumentsFolder() {
  if (m_documentsFolder.isEmpty()) {
    m_documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  }
}

void DesktopDocuments::openFileIfExists(const QString& path) {
  if (QFileInfo(path).isFile()) {
    m_platform.openUrl(QUrl::fromLocalFile(path));
  }
}

void DesktopDocuments::openHelp(Language language, const QString& page) {
  const QString ja = QDir(m_folders.folder(QString::fromLatin1(kHelpFolder))).filePath(page);
  const QString en = QDir(m_folders.folder(QString::fromLatin1(kHelpEnglishFolder))).filePath(page);
  const QString first = isJapanese(language) ? ja : en;
  const QString second = isJapanese(language) ? en : ja;
  openFileIfExists(QFileInfo(first).isFile() ? first : second);
}

void DesktopDocuments::openAttachment(const RaceFolders& raceFolders, const QString& name) {
  if (auto path = raceFolders.existingFile(QString::fromLatin1(kAttachmentFolder), name)) {
    m_platform.openUrl(QUrl::fromLocalFile(*path));
  }
}

std::optional<QString> DesktopDocuments::openSaved(const QString& path) {
  if (m_platform.openUrl(QUrl::fromLocalFile(path))) {
    return std::nullopt;
  }
  return tr("Saved %1. No program is set to open .%2 files; open it by hand.")
      .arg(QDir::toNativeSeparators(path), QFileInfo(path).suffix());
}

// The error names the file that was to be written and the folder that is
// missing.
std::optional<QString> DesktopDocuments::makeDocumentsFolder(const QString& path) const {
  if (!QDir().mkpath(m_documentsFolder)) {
    return QStringLiteral("%1: the folder %2 cannot be made").arg(path, m_documentsFolder);
  }
  return std::nullopt;
}

std::optional<QString> DesktopDocuments::writeAndOpen(const QString& fileName, const QByteArray& bytes) {
  const QString path = QDir(m_documentsFolder).filePath(fileName);
  if (auto error = makeDocumentsFolder(path)) {
    return error;
  }
  if (const auto error = writeFileBytes(path, bytes)) {
    return error->toString();
  }
  m_platform.beep();
  return openSaved(path);
}

std::optional<QString> DesktopDocuments::exportTable(const LoadedRace& loaded) {
  return writeAndOpen(QString::fromLatin1(kPerformanceTableFileName), WritePerformanceTable(loaded));
}

std::optional<QString> DesktopDocuments::exportPicture(const QImage& picture) {
  const QString path = QDir(m_documentsFolder).filePath(QString::fromLatin1(kRetouchFileName));
  if (auto error = makeDocumentsFolder(path)) {
    return error;
  }
  if (const auto error = SavePicture(picture, path, PictureFormat::Bmp)) {
    return error->toString();
  }
  return openSaved(path);
}

std::optional<QString> DesktopDocuments::prepareVideo(QString& path) const {
  path = QDir(m_documentsFolder).filePath(QString::fromLatin1(kVideoFileName));
  return makeDocumentsFolder(path);
}

std::optional<QString> DesktopDocuments::openVideo(const QString& path, const VideoOutcome& outcome) {
  if (outcome.stopped) {
    return std::nullopt;
  }
  if (!outcome.written) {
    return outcome.error;
  }
  return openSaved(path);
}

std::optional<QString> DesktopDocuments::exportKml(const Race& race, KmlOptions options,
                                                   const SceneState* scene, double sceneTime) {
  // The races folder's own pictures, else the program's; the races folder is
  // never written to.
  const QString iconFolder = kmlIconFolder(m_folders.folder(QString::fromLatin1(kIconFolder)),
                                           QCoreApplication::applicationDirPath());
  options.iconFolder = QDir::cleanPath(iconFolder) + u'/';
  const QByteArray kml = scene ? ExportPresentScene(race, sceneTime, sceneBoatsFrom(*scene), options)
                               : ExportAllRace(race, options);
  return writeAndOpen(QString::fromLatin1(kKmlFileName), kml);
}

std::optional<QString> DesktopDocuments::exportKmlAsking(const Race& race, std::vector<int> focused,
                                                         Language language, const QuestionSink& ask,
                                                         const SceneState* scene, double sceneTime) {
  KmlOptions options;
  options.japanese = isJapanese(language);
  options.focused = std::move(focused);
  options.focused.resize(race.BoatCount(), 1);
  if (kmlAskHideUnfocused(static_cast<int>(std::count(options.focused.begin(), options.focused.end(), 0))) &&
      ask) {
    m_hideUnfocused = ask(QStringLiteral("Velaro"), tr("Hide Unfocused Boat ?"));
  }
  options.hideUnfocused = m_hideUnfocused;
  return exportKml(race, options, scene, sceneTime);
}

}  // namespace velaro
