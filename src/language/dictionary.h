#pragma once

#include <QString>

#include "platform/messagetable.h"

namespace kv {

class IniFile;

// Look-ups in a dictionary: an INI file of a language's texts, one section per window.

// The messages of dictionary access. They belong to no window: a language reads them from the
// main window's section (Form1), after the table engine's texts, under the names cd1, cd2 and
// (sharing the main window's numbering) cm41.
enum class DictionaryText {
    NoDictionary,  // "No exists ", followed by the dictionary's path
    CannotWrite,   // %s the dictionary's path
    TooLarge,      // %1 the dictionary's path, %2 the largest size in MiB
};

// Process-wide; the language layer replaces the built-in texts.
MessageTable<DictionaryText>& dictionaryTexts();

// The text of `key` in `section`, or `defaultText` when the entry is missing or empty; with
// `writeBack` such an entry is then set to `defaultText` (empty included). An empty key reads
// nothing. A write that fails stops nothing: the pass goes on reading, writes nothing more into
// that dictionary, and tells of it at its end (reportWriteBackFailure). A dictionary that is too
// large is neither read nor written.
QString ReadDicText(const QString& key, const QString& section, IniFile& dictionary, bool writeBack,
                    const QString& defaultText);

// The end of a pass over `dictionary` with write-back: a write that failed is told (cd2), once
// until a write-back into that file succeeds again.
void reportWriteBackFailure(const IniFile& dictionary);

// Tells that `dictionary` is too large to be read (cm41), once for each file.
void reportTooLarge(const IniFile& dictionary);

// The text of `key` in `section`, or the key itself when the entry is missing or empty. Never
// writes.
QString ReadDicTextOrKey(const QString& key, const QString& section, const IniFile& dictionary);

}  // namespace kv
