#include "video/videoencoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace velaro {

namespace {

QString canonicalOrClean(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

// Where the module may be, the likeliest first. A program run from the build
// tree takes the build's module only, so that it never picks up an installed
// one of another version; an installed program never looks in the build tree.
QStringList modulePlaces() {
  const QString named = qEnvironmentVariable(kVideoModuleVariable);
  if (!named.isEmpty()) {
    return {named};
  }
  const QString programFolder = canonicalOrClean(QCoreApplication::applicationDirPath());
  if (programFolder.startsWith(canonicalOrClean(QStringLiteral(VELARO_BUILD_TREE)) + u'/')) {
    return {QStringLiteral(VELARO_VIDEO_MODULE_BUILD_PATH)};
  }
  const QString file = QStringLiteral(VELARO_VIDEO_MODULE_FILE);
  return {QDir::cleanPath(programFolder + QStringLiteral("/" VELARO_MODULES_FROM_BIN "/") + file),
          programFolder + u'/' + file};
}

}  // namespace

std::unique_ptr<VideoEncoder> makeVideoEncoder(QString& error) {
  const QStringList places = modulePlaces();
  QString found;
  for (const QString& place : places) {
    if (QFileInfo(place).isFile()) {
      found = place;
      break;
    }
  }
  const QString kNeeds = QStringLiteral("video export needs velaro's FFmpeg module: ");
  if (found.isEmpty()) {
    error = kNeeds + places.first() + QStringLiteral(" not found");
    return nullptr;
  }
  // The module stays loaded for the rest of the process: encoders made by it
  // may outlive this call, and loading it again costs nothing.
  QLibrary module(found);
  if (!module.load()) {
    error = kNeeds + QStringLiteral("cannot load it: ") + module.errorString();
    return nullptr;
  }
  const auto factory = reinterpret_cast<VideoEncoderFactory>(module.resolve(kVideoEncoderFactory));
  if (factory == nullptr) {
    error = kNeeds + found + QStringLiteral(" is of another version of velaro");
    return nullptr;
  }
  return std::unique_ptr<VideoEncoder>(factory());
}

}  // namespace velaro
