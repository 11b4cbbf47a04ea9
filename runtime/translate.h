// Texts a person reads, in the operator's language (English, German).
//
// The program keeps its texts in English and never translates anything
// itself: the runtime translates where a text reaches a person (a control's
// text, a caption, a dialog, a message on standard error), so what the
// program reads back, compares, records or publishes stays English.
//
// A text is found by what it says. A text put together from a format is
// found through the format: "Verify error: %s is %u in the sensor, %u sent!"
// translates "Verify error: power is 500 in the sensor, 600 sent!", its
// arguments kept (a %s argument is itself translated where it can be). A
// translation keeps the format's conversions, in the same order.
//
// TR marks a text for the translators' list (lupdate reads the sources);
// it is the text itself and costs nothing.
#pragma once

#define TR(text)      text
#define TR_NOOP(text) text

// The language: "en", "de", or null/"" for the desktop's (its LANGUAGE,
// LC_MESSAGES, LANG). 0, or -1 for a language the program has no texts in
// (English is kept).
int SetLanguage(const char* code);
// The program's choice at start: `asked` (--language en|de) is taken and
// remembered in the settings; without it the remembered one, else the
// desktop's. 0; -1 for a language other than en and de (nothing changes);
// -2 when its catalogue is missing (English is kept).
int ChooseLanguage(const char* asked);
const char* CurrentLanguage(void);  // "en" or "de"
// The text in the current language (Latin-1, like the program's texts), or
// the text itself where there is no translation. Valid until the language changes.
const char* Translate(const char* text);
// A text to show as it is in every language (the sensor's firmware text).
void ShowAsIs(const char* text);
// The same for a terminal or a log (standard output and error): UTF-8.
const char* TranslateUtf8(const char* text);
// Texts shown with no translation since the language was set (the tests'
// check that no text slips through): each once, in the order first shown.
int UntranslatedCount(void);
const char* UntranslatedText(int index);
