#pragma once

#include "platform/messagetable.h"

namespace kv {

// The message texts of the run history window (dictionary section Form6). The enumerators are
// the keys, in the order in which a language reads them.
enum class Form6Text {
    ct1,  // the list's columns: start
    ct2,  // end
    ct3,  // time taken
    ct4,  // task
    ct5,  // result
    ct6,  // archive
    ct7,  // size
    ct8,  // the task filter's first entry: every task
    ct9,  // the result of a restore run: %1 its result
};

using Form6Texts = MessageTable<Form6Text>;

// The table with its built-in texts.
Form6Texts form6Texts();

}  // namespace kv
