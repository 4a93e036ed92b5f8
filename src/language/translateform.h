#pragma once

#include <QString>
#include <QWidget>

#include "language/languageinuse.h"

namespace kv {

// Replaces the texts of `window` by those of `section` in the dictionary at `dictionaryPath`:
// first the window's caption (key "<window name>--Caption"), then every component of the
// window in creation order. With `writeBack` a missing or empty entry is set to the text in
// use, so a first pass over an empty dictionary writes the whole section.
//
// Components are the objects with an object name, found depth first among the window's
// children; the inner parts of compound controls (radio groups, labelled edits, grids and
// lists, combo and spin boxes, time editors) and other windows are not entered, pop-up menus
// are. Each component is tested against these kinds, in this order; a component of two kinds
// is handled by both, which read the same keys:
//   menu item (QAction)          Menu-N--Caption, Menu-N--Hint (the status tip)
//   push button (QPushButton)    N--Caption, N--Hint
//   glyph button (with an icon)  N--Caption, N--Hint
//   speed button (QToolButton)   N--Caption, N--Hint
//   group box (QGroupBox)        N--Caption, N--Hint
//   label (QLabel)               N--Caption, N--Hint
//   labelled edit                N--Caption (the label), N--Hint (the edit)
//   edit (QLineEdit)             N--Hint
//   radio group                  N--Caption, N--Hint, then item i under N--i
//   check box (QCheckBox)        N--Caption, N--Hint
//   open dialog                  N--Title
//   data grid                    N--Hint, then the title of column i under N--Title-i
// Hints are tooltips unless said otherwise. Everything else keeps its texts. A label whose text
// the program keeps setting (the clock) carries the property kLiveText: its text is no caption
// to translate, so only its hint is read, and a passing reading never reaches a dictionary.
//
// A missing dictionary file is reported ("No exists " and the path) and nothing changes; so does
// one that is too large to be read. A write-back that fails does not stop the translation: every
// text the dictionary holds is still applied, nothing more is written, and the failure is told
// at the end ("Unable to write to ..."), once until a write-back into that file succeeds.
void TranslateForm(QWidget* window, const QString& section, const QString& dictionaryPath,
                   bool writeBack);

inline constexpr char kLiveText[] = "kvLiveText";

// The translation step of a window's creation: when dictionaries are present, TranslateForm on
// `window` with its object name as section, the language's dictionary and write-back on.
void translateWindow(QWidget* window, const LanguageInUse& language);

// The language steps of the creation of a window other than the main one, after its texts are
// set to the built-in ones: the window is translated, then `texts` are read from the same
// section. Without dictionaries nothing happens.
template <typename Key>
void applyLanguage(QWidget* window, MessageTable<Key>& texts, const LanguageInUse& language) {
    translateWindow(window, language);
    readMessageTable(texts, window->objectName(), language);
}

}  // namespace kv
