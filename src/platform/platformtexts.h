#pragma once

#include "platform/messagetable.h"

namespace kv {

// The texts that the platform layer shows or puts into its errors. They belong to no window: a
// language reads them from the main window's section (Form1), after the main window's own
// texts, under the names cp1, cp2, ...
enum class PlatformText {
    ErrorCaption,        // caption of the general error report and of the registry.reg notice
    AutostartFailed,     // %1 the application title
    CannotRead,          // %1 the file
    CannotWrite,         // %1 the file, %2 why
    RegistryIgnored,     // %1 the file, %2 what is wrong with it
    RegistryLine,        // %1 the line number, %2 what is wrong on it
    RegistryUnreadable,  // %1 why
    RegistryTooLarge,
    RegistryBadEncoding,
    RegistryNoHeader,
    RegistryEmpty,
    RegistryNoClosingBracket,
    RegistryEmptyKeyName,
    RegistryNoClosingQuote,
    RegistryValueOutsideKey,
    RegistryStrayLine,
    RegistryNoEqualsSign,
    RegistryTextAfterValue,
    RegistryBadDword,
    RegistryUnknownValueKind,
    RegistryBadHexData,
    RegistryBadHexType,
    RegistryCutShort,
    CannotOpen,  // %1 the file: no viewer could be started for it
    // The names below are those of the main window's texts (cm40 ...): they share its section.
    NotARegularFile,  // why a file was not opened: a FIFO, a device, a folder
    UnusableFolder,   // the program does not start: %1 its folder, %2 why
    NotUtf8,          // why: the folder's path is no valid UTF-8
};

// Process-wide; the language layer replaces the built-in texts.
MessageTable<PlatformText>& platformTexts();
inline const QString& platformText(PlatformText key) {
    return platformTexts().text(key);
}

}  // namespace kv
