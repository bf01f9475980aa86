#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace velaro {

// 0 Japanese, 1 English chosen by the user, 2 English because the system is
// not Japanese. Japanese is chosen whenever the value is below 1.
enum class Language { Japanese = 0, English = 1, EnglishFixed = 2 };

inline bool isJapanese(Language language) {
  return language == Language::Japanese;
}

struct Caption {
  const char* control;  // object name of the control
  QString english;
  QString japanese;
};

// The captions of the main window's controls in both languages.
const std::vector<Caption>& captionTable();

// Sets the caption of every control of the table found under root.
void applyCaptions(QWidget* root, Language language);

// Japanese when the system locale is Japanese, else English fixed.
Language languageForSystemLocale();

}  // namespace velaro
