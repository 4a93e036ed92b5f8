#pragma once

#include "platform/messagetable.h"

namespace kv {

// The task editor's message texts (dictionary section Form2). The enumerators are the keys, in
// the order in which a language reads them.
enum class Form2Text {
    ct1,   // caption of a new task until its first save
    ct2,   // first part of the last-day box's caption: ct2, a blank, the day and ")"
    ct3,   // title of the folder dialog
    cm1,   // caption of every message box of the editor
    cm2,   // the question before deleting one object; a line break and its path follow
    cm3,   // the question before clearing the object list
    cm4,   // the question on closing with changes
    cm5,   // save refused: the name is empty
    cm6,   // save refused: the name is taken
    cm7,   // save refused: the name is blanks only
    cm8,   // save refused: the name is longer than its field (%1 the most characters)
    cm9,   // save refused: %1 the text, %2 the most characters its field holds
    cm10,  // save refused: %1 the text, which code page 1251 cannot hold
    cm11,  // save refused: %1 the folder or archive name with a double quote
    cm12,  // save refused: %1 the configuration, %2 the most characters of its commands
    cm13,  // a path refused for the object list: %1 the path, which code page 1251 cannot hold
    cm14,  // a path refused: %1 the path, %2 the most characters a path may have
    cm15,  // a path refused: %1 the path, which holds a line break
    cm16,  // a save that failed: %1 why; nothing stored changed
    cm17,  // a save that failed: %1 why, %2 why the former object list could not be put back
    cm18,  // why: %1 the list file, %2 why it was not written
    cm19,  // why: no free name for a list file
    cm20,  // save refused: the task would have no archive command
    cm21,  // a path refused: %1 the path, which begins or ends with a blank or tab
    cm22,  // a task saved without its retention: %1 the table that is not open
    ct4,   // title of the dialog that chooses files for the object list
    ct5,   // the unit of the number of dated archives kept: archives
    ct6,   // the unit of the age of dated archives kept: days
};

using EditorTexts = MessageTable<Form2Text>;

// The table with its built-in texts.
EditorTexts editorTexts();

}  // namespace kv
