#pragma once

#include "app/captions.h"

namespace velaro {

// Puts a language's texts on screen for one test and English back after it.
class LanguageOnScreen {
 public:
  explicit LanguageOnScreen(Language language) { installLanguage(language); }
  ~LanguageOnScreen() { installLanguage(Language::EnglishFixed); }
  LanguageOnScreen(const LanguageOnScreen&) = delete;
  LanguageOnScreen& operator=(const LanguageOnScreen&) = delete;
};

}  // namespace velaro
