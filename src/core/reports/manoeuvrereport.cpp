#include "core/reports/manoeuvrereport.h"

#include "core/datetime.h"
#include "core/reports/reporttext.h"

#include <QStringList>

#include <cmath>

namespace velaro {

namespace {

QString number(double v, int decimals) {
  return std::isnan(v) ? QString() : QString::number(v, 'f', decimals);
}

QString clockText(const Race& race, double seconds) {
  return formatTime(race.RaceStart + std::round(seconds) / 86400.0);
}

QByteArray joinRows(const QStringList& rows) {
  QByteArray out;
  for (const QString& row : rows) {
    out.append(row.toUtf8());
    out.append("\r\n");
  }
  return out;
}

const char* statusText(StartStatus s) {
  switch (s) {
    case StartStatus::Started:
      return "started";
    case StartStatus::Returned:
      return "returned";
    case StartStatus::Ocs:
      return "OCS";
    case StartStatus::NotStarted:
      return "no crossing";
    case StartStatus::NoPosition:
      break;
  }
  return "no fix at the gun";
}

const char* thirdText(LineThird t) {
  switch (t) {
    case LineThird::Pin:
      return "pin";
    case LineThird::Committee:
      return "committee";
    case LineThird::Middle:
      break;
  }
  return "middle";
}

}  // namespace

QByteArray WriteManoeuvresCsv(const Race& race, const std::vector<Manoeuvre>& manoeuvres) {
  QStringList rows = {QStringLiteral(
      "boat,name,time_s,clock,type,course_before,course_after,speed_before_kn,lowest_speed_kn,regain_s,"
      "metres_lost")};
  for (const Manoeuvre& m : manoeuvres) {
    const QString name = m.boat < race.BoatCount() ? race.boats[m.boat].BoatName : QString();
    rows << QStringList{QString::number(m.boat + 1),
                        csvField(name),
                        number(m.time, 1),
                        clockText(race, m.time),
                        m.kind == ManoeuvreKind::Tack ? QStringLiteral("tack") : QStringLiteral("gybe"),
                        number(m.courseBefore, 0),
                        number(m.courseAfter, 0),
                        number(m.speedBefore, 2),
                        number(m.lowestSpeed, 2),
                        number(m.regainSeconds, 0),
                        number(m.metresLost, 1)}
                .join(u',');
  }
  return joinRows(rows);
}

QByteArray WriteStartsCsv(const Race& race, const std::vector<BoatStart>& starts) {
  QStringList rows = {QStringLiteral(
      "boat,name,line_m_at_gun,line_third,speed_at_gun_kn,crossed_s,speed_at_crossing_kn,status")};
  for (std::size_t b = 0; b < starts.size() && b < race.boats.size(); ++b) {
    const BoatStart& s = starts[b];
    const bool atGun = !std::isnan(s.gunLineMetres);
    rows << QStringList{QString::number(b + 1),
                        csvField(race.boats[b].BoatName),
                        number(s.gunLineMetres, 1),
                        atGun ? QString::fromLatin1(thirdText(s.third)) : QString(),
                        number(s.gunSpeed, 2),
                        number(s.crossTime, 1),
                        number(s.crossSpeed, 2),
                        QString::fromLatin1(statusText(s.status))}
                .join(u',');
  }
  return joinRows(rows);
}

}  // namespace velaro
