#pragma once

#include <QString>

#include "platform/messagetable.h"

namespace kv {

class IniFile;

// Look-ups in a dictionary: an INI file of a language's texts, one section per window.

// The messages of dictionary access. They belong to no window: a language reads them from the
// main window's section (Form1), after the table engine's texts, under the names cd1 and cd2.
enum class DictionaryText {
    NoDictionary,  // "No exists ", followed by the dictionary's path
    CannotWrite,   // %s the dictionary's path
};

// Process-wide; the language layer replaces the built-in texts.
MessageTable<DictionaryText>& dictionaryTexts();

// The text of `key` in `section`, or `defaultText` when the entry is missing or empty; with
// `writeBack` such an entry is then set to `defaultText` (empty included). An empty key reads
// nothing. A write that fails raises Error with cd2's message.
QString ReadDicText(const QString& key, const QString& section, IniFile& dictionary, bool writeBack,
                    const QString& defaultText);

// The text of `key` in `section`, or the key itself when the entry is missing or empty. Never
// writes.
QString ReadDicTextOrKey(const QString& key, const QString& section, const IniFile& dictionary);

}  // namespace kv
