#include "core/newrace/newrace.h"

namespace velaro {

NewRaceServices systemNewRaceServices() {
  return {};
}

NewRaceFiles makeNewRaceFiles(const NewRaceRequest&, const QString&, const NewRaceServices&) {
  NewRaceFiles result;
  result.error = ReadError{QString(), 0, -1, QString(), QStringLiteral("not built yet")};
  return result;
}

NewRaceResult createNewRace(const NewRaceRequest& request, const QString& racesFolder,
                            const NewRaceServices& services) {
  NewRaceResult result;
  result.error = makeNewRaceFiles(request, racesFolder, services).error;
  return result;
}

}  // namespace velaro
