#pragma once

#include "platform/messagetable.h"

namespace kv {

// The message texts of the archive's window (dictionary section Form7). The enumerators are the
// keys, in the order in which a language reads them.
enum class Form7Text {
    ct1,   // title of the tree's first column: the name
    ct2,   //   of its second: the size
    ct3,   //   of its third: the modification time
    ct4,   // title of the folder dialog of "в папку…"
    cm1,   // the state line while 7-Zip lists the archive
    cm2,   // the state line once listed: %1 files, %2 folders
    cm3,   // the archive could not be listed; 7-Zip's message follows on the next lines
    cm4,   // restore refused: nothing ticked
    cm5,   // restore refused: relative paths have no original place
    cm6,   // the question before overwriting: %1 files
    cm7,   // the state line while 7-Zip restores
    cm8,   // the restore ended well: %1 files restored
    cm9,   //   %1 files that were there are kept under new names
    cm10,  //   %1 files that were there were replaced
    cm11,  //   %1 differing files were skipped
    cm12,  //   %1 ticked files were in place already
    cm13,  // the restore failed; 7-Zip's message follows on the next lines
    cm14,  // nothing to do: every ticked file is in place already
    cm15,  // restore refused: the paths that follow cannot be handed to 7-Zip
    cm16,  // refused: %1 a path that holds a double quote
    cm17,  // launch failed: out of memory or resources
    cm18,  // launch failed: the archiver file is missing
    cm19,  // launch failed: its path is missing
    cm20,  // launch failed: the archiver file is no program
};

using Form7Texts = MessageTable<Form7Text>;

// The table with its built-in texts.
Form7Texts form7Texts();

}  // namespace kv
