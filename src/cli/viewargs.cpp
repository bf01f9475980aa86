#include "cli/viewargs.h"

#include <QRegularExpression>

namespace velaro::cli {

namespace {

constexpr int kMinSide = 50;
constexpr int kMaxSide = 10000;

}  // namespace

ViewArg takeViewArg(const QStringList& args, int& i, ExportView& view, QTextStream& err) {
  const QString& a = args[i];
  const bool hasValue = i + 1 < args.size();
  if (a == QLatin1String("--north-up")) {
    view.northUp = true;
    return ViewArg::Taken;
  }
  if (!hasValue) {
    return ViewArg::NotMine;
  }
  if (a == QLatin1String("--size")) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(args[++i]);
    const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
    const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
    if (w < kMinSide || h < kMinSide || w > kMaxSide || h > kMaxSide) {
      err << "velaro-cli: --size is WIDTHxHEIGHT, " << kMinSide << " to " << kMaxSide << " pixels each\n";
      return ViewArg::Bad;
    }
    view.size = QSize(w, h);
    return ViewArg::Taken;
  }
  if (a == QLatin1String("--label-level")) {
    bool ok = false;
    view.labelLevel = args[++i].toInt(&ok);
    if (!ok || view.labelLevel < 0 || view.labelLevel > 3) {
      err << "velaro-cli: --label-level is 0 to 3\n";
      return ViewArg::Bad;
    }
    return ViewArg::Taken;
  }
  if (a == QLatin1String("--zoom")) {
    bool ok = false;
    view.zoom = args[++i].toInt(&ok);
    if (!ok || view.zoom < 1 || view.zoom > 10) {
      err << "velaro-cli: --zoom is 1 to 10\n";
      return ViewArg::Bad;
    }
    return ViewArg::Taken;
  }
  return ViewArg::NotMine;
}

}  // namespace velaro::cli
