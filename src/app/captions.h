#pragma once

#include <QString>

namespace velaro {

// 0 Japanese, 1 English chosen by the user, 2 English because the system is
// not Japanese. Japanese is chosen whenever the value is below 1.
enum class Language { Japanese = 0, English = 1, EnglishFixed = 2 };

inline bool isJapanese(Language language) {
  return language == Language::Japanese;
}

// Japanese when the system locale is Japanese, else English fixed.
Language languageForSystemLocale();

// Puts the program's texts in a language: the Japanese translation is
// installed or removed and every widget retranslates itself before this
// returns.
void installLanguage(Language language);
// The language installLanguage last put on screen (English fixed before).
Language installedLanguage();

// Hint texts are written with "\n"; the hint box breaks lines with CR LF.
QString hintLines(const QString& text);

}  // namespace velaro
