#include "app/captions.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLocale>
#include <QTranslator>

namespace velaro {

namespace {

Language g_installed = Language::EnglishFixed;

}  // namespace

Language languageForSystemLocale() {
  return QLocale::system().language() == QLocale::Japanese ? Language::Japanese : Language::EnglishFixed;
}

// Every text the user reads is written in English as tr("...") in the widget
// that shows it (QCoreApplication::translate in code without a widget), with
// %1, %2 for the values put into it. Widgets set their texts in one
// retranslate function, called when made and on QEvent::LanguageChange.
// A new or changed text: build the target update_translations (lupdate adds
// it to translations/velaro_ja.ts), write the Japanese into that file and
// drop its type="unfinished"; the translations test fails until then. The
// build compiles the file (lrelease) into the program's resources.
// Message boxes stay English in both languages and are not translated.
void installLanguage(Language language) {
  static QTranslator* japanese = nullptr;
  if (!japanese) {
    japanese = new QTranslator(QCoreApplication::instance());
    if (!japanese->load(QStringLiteral(":/i18n/velaro_ja.qm"))) {
      qWarning("velaro: the Japanese translation is missing from the program");
    }
  }
  const bool wasJapanese = isJapanese(g_installed);
  g_installed = language;
  if (isJapanese(language) == wasJapanese) {
    return;
  }
  if (isJapanese(language)) {
    QCoreApplication::installTranslator(japanese);
  } else {
    QCoreApplication::removeTranslator(japanese);
  }
  // The application posts the change to every window; deliver it now so
  // that every caption changes at once.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

Language installedLanguage() {
  return g_installed;
}

QString hintLines(const QString& text) {
  QString lines = text;
  return lines.replace(u'\n', QStringLiteral("\r\n"));
}

}  // namespace velaro
