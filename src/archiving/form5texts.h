#pragma once

#include "platform/messagetable.h"

namespace kv {

// The message texts of the restore dialog (dictionary section Form5). The enumerators are the
// keys, in the order in which a language reads them.
enum class Form5Text {
    cm1,  // launch failed: out of memory or resources
    cm2,  // launch failed: the archiver file is missing
    cm3,  // launch failed: its path is missing
    cm4,  // the only line of the list when the task has no archive
    cm5,  // launch failed: the archiver file is no program
    cm6,  // restore refused: %1 the archive path, which holds a double quote
    cm7,  // browsing refused: no 7-Zip is known
};

using Form5Texts = MessageTable<Form5Text>;

// The table with its built-in texts.
Form5Texts form5Texts();

}  // namespace kv
