#pragma once

#include "platform/messagetable.h"

namespace kv {

// The texts of the table engine's errors: "Table", the quoted file name and one of the texts
// that follow it. They belong to no window: a language reads them from the main window's
// section (Form1), after the platform's texts, under the names ce1, ce2, ...
enum class StoreText {
    Table,    // %1 the quoted file name, %2 one of the texts below
    Damaged,  // %1 what is wrong (the file layout texts below)
    InUse,
    CannotWrite,    // %1 why
    JournalFailed,  // %1 the quoted journal file, %2 why
    NewCopyFailed,  // %1 the quoted new file, %2 why
    ClosedAfter,    // %1 why
    Full,
    ReadOnly,
    NotOpen,
    CannotOpen,  // %1 why
    CannotRead,  // %1 why
    TooLarge,
    NotATable,     // %1 what is wrong
    CannotRepair,  // %1 why
    CannotCreate,  // %1 why
    NoFields,
    TooManyFields,
    BadFieldName,
    FieldNameTwice,
    BadWidth,
    RowTooLong,
    FileLayerWhileOpen,
    NoFieldNumber,
    WrongFieldType,  // %1 and %3 the type names below
    NoField,
    NotEditing,
    NoRow,
    NothingToEdit,
    NothingToDelete,
    BadDate,
    BadSearch,
    TypeText,  // the type names
    TypeInteger,
    TypeBoolean,
    TypeDateTime,
    EmptyFile,  // what is wrong with a file's layout
    UnknownVersion,
    ShortHeader,
    HeaderTooSmall,
    ShortForHeader,
    OtherVersion,
    ShortForRows,
    NoFieldListEnd,
    FieldWithoutName,
    UnknownFieldType,
    BadFieldLength,
    NoFieldsInFile,
    RowLengthMismatch,
    BatchOpen,        // beginBatch() while a batch is collecting
    NoBatch,          // commitBatch() without a batch
    OtherLayoutRows,  // restoreRows() with rows saved from another layout
    // The names below are those of the main window's texts (cm43, cm49): they share its section.
    HeaderLengthMismatch,  // %1 the header length, %2 what the field list gives
    BadRowMark,            // %1 the row, %2 its first byte
};

// Process-wide; the language layer replaces the built-in texts.
MessageTable<StoreText>& storeTexts();
inline const QString& storeText(StoreText key) {
    return storeTexts().text(key);
}

}  // namespace kv
