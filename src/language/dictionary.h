#pragma once

#include <QString>

#include "language/messagetexts.h"

namespace kv {

class IniFile;

// Look-ups in a dictionary: an INI file of a language's texts, one section per window.

// The messages of dictionary access, process-wide: cd1 "No exists " (followed by the
// dictionary's path) and cd2 "Unable to write to %s" (%s the path). A language applies to them
// like to any window's table.
MessageTexts& dictionaryTexts();

// The text of `key` in `section`, or `defaultText` when the entry is missing or empty; with
// `writeBack` such an entry is then set to `defaultText` (empty included). An empty key reads
// nothing. A write that fails raises StoreError with cd2's message.
QString ReadDicText(const QString& key, const QString& section, IniFile& dictionary, bool writeBack,
                    const QString& defaultText);

// The text of `key` in `section`, or the key itself when the entry is missing or empty. Never
// writes.
QString ReadDicTextOrKey(const QString& key, const QString& section, const IniFile& dictionary);

}  // namespace kv
