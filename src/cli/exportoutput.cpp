#include "cli/exportoutput.h"

#include "cli/raceargs.h"

#include "core/reports/filewrite.h"

#include <QBuffer>

namespace velaro::cli {

// Loads a race as the window would and reports why when it cannot.
std::optional<LoadedRace> loadRaceForExport(const QString& raceFileArg, QTextStream& err) {
  const RaceLocation where = locateRace(raceFileArg);
  LoadResult result = LoadRacePipeline(where.path, where.folders, LoadOptions{});
  if (result.loaded) {
    return std::move(result.loaded);
  }
  if (result.error) {
    err << "velaro-cli: " << result.error->toString() << '\n';
  } else {
    err << "velaro-cli: " << where.path << ": no race file, or no boat with a usable GPS log\n";
  }
  return std::nullopt;
}

// The bytes go to the file named by -o, else to standard output unchanged.
int deliverExport(const QByteArray& bytes, const QString& outPath, QTextStream& out, QTextStream& err) {
  if (outPath.isEmpty()) {
    // The exports are UTF-8 text, which the stream writes back byte for byte.
    out << QString::fromUtf8(bytes);
    out.flush();
    if (out.status() != QTextStream::Ok) {
      err << "velaro-cli: cannot write to standard output\n";
      return 1;
    }
    return 0;
  }
  if (const std::optional<WriteError> error = writeFileBytes(outPath, bytes)) {
    err << "velaro-cli: " << error->toString() << '\n';
    return 1;
  }
  return 0;
}

int deliverImage(const QImage& image, const QString& outPath, const char* format, QTextStream& err) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, format)) {
    err << "velaro-cli: " << outPath << ": the picture could not be encoded as " << format << '\n';
    return 1;
  }
  if (const std::optional<WriteError> error = writeFileBytes(outPath, bytes)) {
    err << "velaro-cli: " << error->toString() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace velaro::cli
