#pragma once

#include "platform/messagetable.h"

namespace kv {

// The message texts of the run history window (dictionary section Form6). The enumerators are
// the keys, in the order in which a language reads them.
enum class Form6Text {
    ct1,   // the list's columns: start
    ct2,   // end
    ct3,   // time taken
    ct4,   // task
    ct5,   // result
    ct6,   // archive
    ct7,   // size
    ct8,   // the task filter's first entry: every task
    ct9,   // the result of a restore run: %1 its result
    ct10,  // the test column: what became of the archive's test
    ct11,  // a passed test: %1 the time it took
    ct12,  // a failed test: %1 its exit status
    ct13,  // a test ended by a signal: %1 the signal
    ct14,  // an archiver that this program cannot test
    ct15,  // a test that could not be started
};

using Form6Texts = MessageTable<Form6Text>;

// The table with its built-in texts.
Form6Texts form6Texts();

}  // namespace kv
