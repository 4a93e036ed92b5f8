#pragma once

namespace kv {

// What the user did on the program's icon in the notification area.
enum class TrayClick {
    Click,        // a click with the left button
    DoubleClick,  // a double click
    ContextMenu,  // a click that asks for the menu (the right button)
};

}  // namespace kv
