#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <type_traits>
#include <vector>

#include "store/field.h"
#include "store/storeerror.h"

namespace kv {

class FileIo;  // store/fileio.h

// A dBASE level 7 table with a cursor, the one table engine of the program.
//
// The cursor follows the usual data-set rules: after open() and first() it rests on the first
// live row (bof() true); next() on the last row sets eof() and stays on that row; an empty table
// has bof() and eof() at once. Deleted rows are never visited.
//
// State: browse, edit (after edit()) or insert (after insert()). In edit and insert state the
// field getters read the pending values. post() writes them; cancel() drops them. Moving the
// cursor while editing posts first. close() while editing drops the pending values.
//
// Every failure raises StoreError and leaves the file as it was.
//
// Crash safety: a row whose post() has returned survives a crash of the process at any later
// instant. An appended row is written before the record count that makes it part of the table;
// a changed row (post after edit, deleteRecord) is first written to a redo journal beside the
// table (`<file>.jnl`), so a row cut short by the death of the process is completed at the next
// open() and never found half old, half new; emptyTable() and pack() write `<file>.new`, sync
// it and rename it over the table. post() does not fsync: what it wrote is in the kernel's
// page cache and survives the death of the process, not the loss of power.
//
// The whole file is read at open() and every write is mirrored in memory (memory use about the
// size of the file). Several table objects may have one file open with shared access, but only
// one of them should write it: each holds its own copy of the rows.
//
// Views (the task grid) listen to the signals. While updates are suspended
// (disableControls()), no signal is sent; the last enableControls() sends reset().
class Table : public QObject {
    Q_OBJECT
public:
    // `fileName` is resolved against the current folder when the table is opened.
    explicit Table(QString fileName, QObject* parent = nullptr);
    ~Table() override;

    const QString& fileName() const { return fileName_; }

    // Creates (or replaces) the file with the given layout and no rows.
    static void create(const QString& fileName, const QList<FieldDef>& fields);
    // Same, through the given file layer (tests, fuzzing).
    static void create(const QString& fileName, const QList<FieldDef>& fields, FileIo& io);

    // Replaces the file layer (default: the real file system). Only while closed.
    void setFileIo(std::shared_ptr<FileIo> io);

    enum class Access { Shared, Exclusive };
    // Opens the file and puts the cursor on the first row. Opening an open table does nothing.
    // Exclusive access fails while another open table object (in any process) has the file open.
    void open(Access access = Access::Shared);
    void close();
    bool isOpen() const;
    Access access() const;

    // Layout of the open table.
    const QList<FieldDef>& fields() const;
    // Position of a field in fields(), the name looked up without regard to case; -1 if absent.
    int fieldIndex(QAnyStringView name) const;
    // Where a declared field is in the open table.
    template <typename T>
    FieldIndex<T> fieldIndex(const Field<T>& field) const {
        return FieldIndex<T>(fieldIndex(field.name()), field.name().data());
    }

    // Navigation over live rows.
    void first();
    void next();
    void prior();
    bool bof() const;
    bool eof() const;
    bool isEmpty() const;
    int recordCount() const;    // live rows
    int recNo() const;          // position of the cursor among live rows, 0-based; -1 if empty
    void moveTo(int position);  // 0 <= position < recordCount()

    // Field values of the current row (or the pending values while editing). A field that the
    // open table lacks, or stores with another type than its declaration's, raises StoreError. On
    // an empty table (and outside insert state) the getters return false, 0, "" and the zero
    // date-time.
    bool asBool(const Field<bool>& field) const;
    int asInt(const Field<int>& field) const;
    QString asString(const Field<QString>& field) const;
    QDateTime asDateTime(const Field<QDateTime>& field) const;  // naive; zero when never set
    // Same through a field's index, for walks over many rows.
    bool asBool(FieldIndex<bool> field) const { return asBool(present(field)); }
    int asInt(FieldIndex<int> field) const { return asInt(present(field)); }
    QString asString(FieldIndex<QString> field) const { return asString(present(field)); }
    QDateTime asDateTime(FieldIndex<QDateTime> field) const { return asDateTime(present(field)); }
    // Same by position in fields(), for code that serves any layout. A getter of another type
    // than the field's raises StoreError.
    bool asBool(int field) const;
    int asInt(int field) const;
    QString asString(int field) const;
    QDateTime asDateTime(int field) const;

    // Values of another live row, without moving the cursor (views use these).
    bool peekBool(int position, FieldIndex<bool> field) const {
        return peekBool(position, present(field));
    }
    int peekInt(int position, FieldIndex<int> field) const {
        return peekInt(position, present(field));
    }
    QString peekString(int position, FieldIndex<QString> field) const {
        return peekString(position, present(field));
    }
    QDateTime peekDateTime(int position, FieldIndex<QDateTime> field) const {
        return peekDateTime(position, present(field));
    }
    // Same by position in fields().
    bool peekBool(int position, int field) const;
    int peekInt(int position, int field) const;
    QString peekString(int position, int field) const;
    QDateTime peekDateTime(int position, int field) const;

    enum class State { Browse, Edit, Insert };
    State state() const;
    void edit();    // the current row; raises on an empty table
    void insert();  // a new row that post() appends at the end; the cursor then rests on it
    void setBool(const Field<bool>& field, bool value);
    void setInt(const Field<int>& field, int value);
    void setString(const Field<QString>& field, const QString& value);  // cut to the width
    void setDateTime(const Field<QDateTime>& field, const QDateTime& value);
    // Same through a field's index.
    void setBool(FieldIndex<bool> field, bool value) { setBool(present(field), value); }
    void setInt(FieldIndex<int> field, int value) { setInt(present(field), value); }
    void setString(FieldIndex<QString> field, const QString& value) {
        setString(present(field), value);
    }
    void setDateTime(FieldIndex<QDateTime> field, const QDateTime& value) {
        setDateTime(present(field), value);
    }
    // Same by position in fields().
    void setBool(int field, bool value);
    void setInt(int field, int value);
    void setString(int field, const QString& value);
    void setDateTime(int field, const QDateTime& value);
    // Writes the pending values (an edit that changed nothing writes nothing). When the write
    // fails it raises and drops them: the table is back in browse state, the row as it was.
    void post();
    void cancel();

    // Marks the current row deleted. The cursor then rests on the row that followed it, or on
    // the new last row when the last one was deleted.
    void deleteRecord();

    // Makes current the first row whose fields equal the values (text exact and case-sensitive;
    // Integer, Boolean and DateTime compared by value). Returns false, cursor unchanged, when no
    // row matches. The fields are named as fields() names them, without regard to case.
    bool locate(const QStringList& fields, const QVariantList& values);
    // Same on one declared field.
    template <typename T>
    bool locate(const Field<T>& field, const std::type_identity_t<T>& value) {
        return locate(QStringList{field.name()}, QVariantList{QVariant(value)});
    }

    // Removes all rows. Needs exclusive access, which it takes for the time of the operation.
    // The table stays open, cursor on the (empty) first row.
    void emptyTable();
    // Physically removes the deleted rows (takes exclusive access like emptyTable()). The table
    // stays open with the cursor on the first row.
    void pack();

    // Batches: from beginBatch() on, post() and deleteRecord() change the rows in memory only.
    // commitBatch() writes them all, the deleted rows purged, as one new file renamed over the
    // table (like pack()), so that neither a failure nor a crash leaves some of them and not the
    // others. A failed commit, cancelBatch() and close() drop them: the rows are back as they
    // were at beginBatch(). pack() and emptyTable() write everything and so end a batch.
    void beginBatch();
    void commitBatch();
    void cancelBatch();
    bool inBatch() const;

    // A copy of the rows as they are now; restoreRows() puts it back as one new file renamed
    // over the table (like pack()), to undo a change that a later step could not follow.
    class SavedRows {
        friend class Table;
        std::vector<char> image_;
        int headerLength_ = 0;
        int recordLength_ = 0;
    };
    SavedRows savedRows() const;
    void restoreRows(const SavedRows& rows);

    // Suspends and resumes the signals to views; calls nest.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

Q_SIGNALS:
    // Rows came or went, the table was opened, closed, emptied or packed, or updates resumed.
    void reset();
    // The values of the live row at `position` changed (post).
    void rowChanged(int position);
    // The cursor moved to `position` (-1: no row).
    void cursorMoved(int position);

private:
    // The position of a field that fieldIndex() found; raises for one it did not.
    template <typename T>
    int present(FieldIndex<T> field) const {
        return field.index_ >= 0 ? field.index_ : missingField(field.name_);
    }
    [[noreturn]] int missingField(const char* name) const;

    struct Impl;
    QString fileName_;
    std::unique_ptr<Impl> d;
};

// Deletes, within a batch, every live row whose `field` equals `value` (exact); returns how many.
// Walks from the end, so that each deletion moves only the rows after it.
int deleteRowsWhere(Table& table, const Field<QString>& field, const QString& value);

// Runs `body` with the table's views suspended, resuming them however `body` ends.
class ControlsDisabled {
public:
    explicit ControlsDisabled(Table& table) : table_(table) { table_.disableControls(); }
    ~ControlsDisabled() { table_.enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Table& table_;
};

// Begins a batch on the table and drops it when it goes out of scope, unless commitBatch() has
// written it by then.
class Batch {
public:
    explicit Batch(Table& table) : table_(table) { table_.beginBatch(); }
    ~Batch() { table_.cancelBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    Table& table_;
};

}  // namespace kv
