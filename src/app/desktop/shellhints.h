#pragma once

#include "app/captions.h"
#include "app/panels/hintbox.h"

#include <QCoreApplication>
#include <QRect>
#include <QStringList>

#include <optional>

namespace velaro {

// The hints of the window's own controls: text in the installed language,
// box size by language, and place in window coordinates, from the controls'
// places. Conditions that hide a hint give no hint.
class ShellHints {
  Q_DECLARE_TR_FUNCTIONS(velaro::ShellHints)

 public:
  // Shown where the last placed hint was.
  static Hint autoNext(Language language);
  // Right-aligned with the button, its bottom 5 pixels above the button.
  static Hint showRace(QRect controlPanel, QRect showButton);
  // Ending 5 pixels left of the box, level with it.
  static Hint bigBoats(QRect controlPanel, QRect bigBoatsBox);
  // Shown whether the hints are on or off.
  static Hint help();
  // Only over the live scene, shown whether the hints are on or off.
  static std::optional<Hint> windGraph(Language language, bool liveView);
  // One line per attachment under the title, shown whether the hints are on or off.
  static Hint attachments(const QStringList& names);
  // The logo's about text.
  static Hint about();
};

}  // namespace velaro
