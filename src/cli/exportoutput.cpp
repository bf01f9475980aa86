#include "cli/exportoutput.h"

#include "cli/raceargs.h"

#include "core/reports/filewrite.h"
#include "render/picturefile.h"

#include <QRegularExpression>

namespace velaro::cli {

// Loads a race as the window would and reports why when it cannot.
std::optional<LoadedRace> loadRaceForExport(const QString& raceFileArg, QTextStream& err,
                                            Manoeuvres manoeuvres, QSize mapArea) {
  const RaceLocation where = locateRace(raceFileArg);
  LoadOptions options;
  options.mapArea = mapArea;
  options.findManoeuvres = manoeuvres == Manoeuvres::Find;
  LoadResult result = LoadRacePipeline(where.path, where.folders, options);
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

int deliverPicture(const QImage& picture, const QString& outPath, QTextStream& err) {
  if (const std::optional<WriteError> error = SavePicture(picture, outPath, pictureFormatFor(outPath))) {
    err << "velaro-cli: " << error->toString() << '\n';
    return 1;
  }
  return 0;
}

std::optional<QSize> parsePictureSize(const QString& text) {
  static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
  const QRegularExpressionMatch m = pattern.match(text);
  if (!m.hasMatch()) {
    return std::nullopt;
  }
  const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
  const auto fits = [](int side) { return side >= kMinPictureSide && side <= kMaxPictureSide; };
  if (!fits(size.width()) || !fits(size.height())) {
    return std::nullopt;
  }
  return size;
}

}  // namespace velaro::cli
