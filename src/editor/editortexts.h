#pragma once

#include "language/messagetexts.h"

namespace kv {

// The task editor's table (section Form2): ct1..ct3 and cm1..cm6, then the refusals and failures
// added since: cm7..cm12 (the save refused for its name, texts the table cannot hold, a double
// quote, a command too long), cm13..cm15 (an object path refused), cm16..cm19 (a save that
// failed).
MessageTexts editorTexts();

}  // namespace kv
