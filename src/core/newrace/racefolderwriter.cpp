#include "core/newrace/racefolderwriter.h"

#include "core/orderedwork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace velaro {

namespace {

// A relative path that stays inside root: no absolute path, no "..", no
// empty or hidden component.
bool isInsideName(const QString& relative) {
  if (relative.isEmpty() || QDir::isAbsolutePath(relative) || relative.contains(u'\\')) {
    return false;
  }
  for (const QString& part : relative.split(u'/')) {
    if (part.isEmpty() || part.startsWith(u'.')) {
      return false;
    }
  }
  return true;
}

// Everything this call put into the folder, to be taken back on failure.
class Undo {
 public:
  ~Undo() {
    if (m_done) {
      return;
    }
    for (auto it = m_files.rbegin(); it != m_files.rend(); ++it) {
      QFile::remove(*it);
    }
    for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it) {
      QDir().rmdir(*it);
    }
  }
  void fileMoved(const QString& path) { m_files.push_back(path); }
  void folderMade(const QString& path) { m_folders.push_back(path); }
  void keep() { m_done = true; }

  // Creates folder and its missing parents, remembering each one made.
  std::optional<WriteError> makeFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir()) {
      return std::nullopt;
    }
    if (info.exists() || info.isSymLink()) {
      return WriteError{folder, QStringLiteral("a file of that name is in the way of the folder")};
    }
    const QString parent = info.absolutePath();
    if (parent != info.absoluteFilePath()) {
      if (auto error = makeFolder(parent)) {
        return error;
      }
    }
    if (!QDir().mkdir(folder)) {
      return WriteError{folder, QStringLiteral("the folder cannot be created")};
    }
    folderMade(folder);
    return std::nullopt;
  }

 private:
  std::vector<QString> m_files;
  std::vector<QString> m_folders;
  bool m_done = false;
};

}  // namespace

std::optional<WriteError> writeFilesWhole(const QString& root,
                                          const std::vector<std::pair<QString, QByteArray>>& files) {
  const QDir rootDir(root);
  for (const auto& [relative, bytes] : files) {
    if (!isInsideName(relative)) {
      return WriteError{rootDir.filePath(relative), QStringLiteral("not a name inside the races folder")};
    }
  }
  Undo undo;
  if (auto error = undo.makeFolder(rootDir.absolutePath())) {
    return error;
  }
  // Declared after undo so that the staging folder goes first on the way out.
  QTemporaryDir staging(rootDir.filePath(QStringLiteral(".new-race-XXXXXX")));
  if (!staging.isValid()) {
    return WriteError{rootDir.absolutePath(),
                      QStringLiteral("cannot make a staging folder: ") + staging.errorString()};
  }
  // Most of the bytes are the copied logs: they are staged on every core,
  // the kernel's copying of one file overlapping another's. The workers
  // touch no shared Qt object but the bytes; the messages are made here.
  const int count = static_cast<int>(files.size());
  const QString stagingPath = staging.path() + u'/';
  std::vector<QString> staged(files.size());
  std::vector<QString> failures(files.size());
  {
    OrderedWork work(count, std::min(4, OrderedWork::defaultThreads()), [&](int i) {
      const std::size_t at = static_cast<std::size_t>(i);
      QFile file(stagingPath + QString::number(i));
      if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        failures[at] = QStringLiteral("cannot be created: ") + file.errorString();
        return;
      }
      if (!writeWhole(file, files[at].second)) {
        failures[at] = QStringLiteral("write failed: ") + file.errorString();
        return;
      }
      file.close();
      if (file.error() != QFileDevice::NoError) {
        failures[at] = QStringLiteral("write failed: ") + file.errorString();
        return;
      }
      staged[at] = file.fileName();
    });
    for (int i = 0; i < count; ++i) {
      work.waitFor(i);
      const std::size_t at = static_cast<std::size_t>(i);
      if (!failures[at].isEmpty()) {
        return WriteError{rootDir.filePath(files[at].first), failures[at]};
      }
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const QString target = rootDir.filePath(files[i].first);
    if (auto error = undo.makeFolder(QFileInfo(target).absolutePath())) {
      return error;
    }
    const QFileInfo info(target);
    if (info.exists() || info.isSymLink()) {
      return WriteError{target, QStringLiteral("exists already; nothing was written")};
    }
    // The rename refuses an existing target, so a file that appeared since
    // the check above is not replaced either.
    QFile file(staged[i]);
    if (!file.rename(target)) {
      return WriteError{target, QStringLiteral("cannot be moved into place: ") + file.errorString()};
    }
    undo.fileMoved(target);
  }
  undo.keep();
  return std::nullopt;
}

}  // namespace velaro
