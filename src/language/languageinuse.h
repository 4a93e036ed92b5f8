#pragma once

#include <QString>

#include "language/dictionary.h"
#include "platform/inifile.h"
#include "platform/messagetable.h"

namespace kv {

// The language that the main window has set up, handed to every window it opens: the windows
// apply it in their creation step and have no language state of their own.
struct LanguageInUse {
    QString currentLanguage = QStringLiteral("Russian");
    // A "*.dic" was beside the program when the main window was made. Without one, nothing is
    // translated and no dictionary is read or written.
    bool dictionariesPresent = false;

    // The dictionary of the language: "<language>.dic" in the program folder.
    QString dictionaryPath() const;
};

// "<languageName>.dic" in the program folder, its extension spelt as the file there spells it
// ("German.DIC" is the dictionary listed as German), ".dic" when there is none. A "/" in the
// name (only a hand-edited lang.txt holds one) stands as "_", so that no look-up or write-back
// reaches outside the program folder.
QString dictionaryPathOf(const QString& languageName);

// Replaces every text of `table` by its entry in `section`, in reading order, with the text in
// use as default and written back when the entry is missing or empty (ReadDicText).
template <typename Key>
void readMessageTable(MessageTable<Key>& table, const QString& section, IniFile& dictionary) {
    for (qsizetype i = 0; i < table.entries().size(); ++i) {
        const auto entry = table.entries()[i];
        table.set(entry.key, ReadDicText(entry.name, section, dictionary, true, entry.text));
    }
}

// The message-table step of a window's creation: when dictionaries are present, `table` is read
// from `section` of the language's dictionary, which the first write-back creates when it is
// missing. A failed write-back, or a dictionary too large to be read, is told.
template <typename Key>
void readMessageTable(MessageTable<Key>& table, const QString& section,
                      const LanguageInUse& language) {
    if (!language.dictionariesPresent) {
        return;
    }
    IniFile dictionary(language.dictionaryPath());
    if (dictionary.tooLarge()) {
        reportTooLarge(dictionary);
        return;
    }
    readMessageTable(table, section, dictionary);
    reportWriteBackFailure(dictionary);
}

}  // namespace kv
