#pragma once

#include "platform/messagetable.h"

namespace kv {

// The message texts of the archiver configuration list (dictionary section Form3). The
// enumerators are the keys, in the order in which a language reads them.
enum class Form3Text {
    cm1,   // caption of the save checks' boxes
    cm2,   // save refused: empty archiver path
    cm3,   // the archiver file does not exist: save all the same?
    cm4,   // the archive command is empty: first line
    cm5,   //   second line, followed by ' " а " ?'
    cm6,   // the question before deleting a configuration: cm6 "<name>" cm7
    cm7,   //
    cm8,   // caption of that question
    cm9,   // save refused: the archiver path holds a double quote
    cm10,  // save refused: %1 a text that code page 1251 cannot hold
    cm11,  // save refused: %1 the composed command, longer than %2 characters
    cm12,  // a path longer than the field: %1 the path, %2 the width
    cm13,  // the open dialog's choice of programs
    cm14,  // its choice of all files
    cm15,  // 7-Zip is installed but no configuration runs it: %1 its path, %2 the name; add it?
};

using Form3Texts = MessageTable<Form3Text>;

// The table with its built-in texts.
Form3Texts form3Texts();

}  // namespace kv
