#pragma once

#include "app/captions.h"
#include "app/controls.h"
#include "core/loadedrace.h"
#include "core/racefolders.h"
#include "core/reports/kmlexport.h"
#include "core/scene/scenestate.h"
#include "video/replayvideo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QString>

#include <optional>
#include <vector>

namespace velaro {

class Platform;

// The documents the window opens on the desktop: the help pages, the race's
// attachments, and the exported files it writes to the documents folder.
class DesktopDocuments {
  Q_DECLARE_TR_FUNCTIONS(velaro::DesktopDocuments)

 public:
  DesktopDocuments(const RaceFolders& folders, Platform& platform);

  const QString& documentsFolder() const { return m_documentsFolder; }
  // The user's documents folder unless one was set.
  void setDocumentsFolder(const QString& folder) { m_documentsFolder = folder; }
  void useDefaultDocumentsFolder();

  // A help page (the entry page unless named) of the language on screen, or
  // the other language's when only that one exists; nothing when neither does.
  void openHelp(Language language, const QString& page = QStringLiteral("index.html"));
  // An attachment of the race by file name, in the races folder the race
  // lives in; nothing when the file is missing.
  void openAttachment(const RaceFolders& raceFolders, const QString& name);
  // Writes a file into the documents folder, beeps and opens it. The error
  // text when the folder or the file cannot be written (nothing opens then),
  // or when nothing on the desktop opens the file (it stays saved).
  // The exports below give the same message when their file does not open.
  std::optional<QString> writeAndOpen(const QString& fileName, const QByteArray& bytes);
  // The performance table of the race, written and opened.
  std::optional<QString> exportTable(const LoadedRace& loaded);
  // The picture on screen as "NoName.bmp" for retouching, written whole
  // over an earlier one and opened; the error text when it cannot be written
  // (the earlier file stays as it was and nothing opens).
  std::optional<QString> exportPicture(const QImage& picture);
  // Where the replay's video "NoName.mp4" is written, over an earlier one,
  // once the documents folder exists; the error text when it cannot be made.
  std::optional<QString> prepareVideo(QString& path) const;
  // The video written at the path prepareVideo gave, opened. The error text
  // when it could not be written (nothing opens then); nothing opens either
  // when it was stopped.
  std::optional<QString> openVideo(const QString& path, const VideoOutcome& outcome);
  // The globe viewer's file of the whole race, or of the scene at sceneTime
  // when a scene is given, written and opened. The icon pictures are drawn
  // beside the races first.
  std::optional<QString> exportKml(const Race& race, KmlOptions options, const SceneState* scene,
                                   double sceneTime);
  // The same with the boats in focus as the list shows them (boats beyond
  // the list count as focused): with a boat out of focus, ask asks whether
  // to hide such boats; without one, the last answer holds.
  std::optional<QString> exportKmlAsking(const Race& race, std::vector<int> focused, Language language,
                                         const QuestionSink& ask, const SceneState* scene, double sceneTime);

 private:
  void openFileIfExists(const QString& path);
  // Opens a file just saved; when the desktop has no program for it, the
  // message telling where it was saved, for the user to open it by hand.
  std::optional<QString> openSaved(const QString& path);
  std::optional<QString> makeDocumentsFolder(const QString& path) const;

  const RaceFolders& m_folders;
  Platform& m_platform;
  QString m_documentsFolder;
  bool m_hideUnfocused = false;
};

}  // namespace velaro
