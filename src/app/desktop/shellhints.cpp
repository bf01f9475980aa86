#include "app/desktop/shellhints.h"

namespace velaro {

Hint ShellHints::autoNext(Language language) {
  return {tr("Auto changer on/off"), QSize(isJapanese(language) ? 220 : 180, 16), std::nullopt, true};
}

Hint ShellHints::showRace(QRect controlPanel, QRect showButton) {
  const QPoint at(controlPanel.left() + showButton.left() + showButton.width() - 180,
                  controlPanel.top() + showButton.top() - 37);
  return {hintLines(tr("Choose race file at left box\nthen click here to show it.")), QSize(180, 32), at,
          true};
}

Hint ShellHints::bigBoats(QRect controlPanel, QRect bigBoatsBox) {
  const QPoint at(controlPanel.left() + bigBoatsBox.left() - 225, controlPanel.top() + bigBoatsBox.top());
  return {tr("Enlarge Disp Boat Size"), QSize(220, 20), at, true};
}

Hint ShellHints::help() {
  return {tr("    Show Help"), QSize(150, 20), std::nullopt, false};
}

std::optional<Hint> ShellHints::windGraph(Language language, bool liveView) {
  if (!liveView) {
    return std::nullopt;
  }
  return Hint{tr("TWD graph can be ON/OFF when click map."), QSize(isJapanese(language) ? 350 : 300, 20),
              std::nullopt, false};
}

Hint ShellHints::attachments(const QStringList& names) {
  QStringList lines{tr("Show following attachment file")};
  lines += names;
  return {lines.join(QStringLiteral("\r\n")), QSize(200, 13 * static_cast<int>(names.size()) + 18),
          std::nullopt, false};
}

Hint ShellHints::about() {
  return {hintLines(tr("\n<Velaro>\nyacht racing browser\n\n"
                       "Replays GPS race logs.\n\n"
                       "Free; no warranty.\n\n"
                       "<Click: about Velaro>")),
          QSize(160, 100), std::nullopt, true};
}

}  // namespace velaro
