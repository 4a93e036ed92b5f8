#include "store/table.h"

#include <QDate>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/codepage1251.h"
#include "store/dbfformat.h"
#include "store/fileio.h"
#include "store/storetexts.h"

namespace kv {

using namespace dbf;

namespace {

const QList<FieldDef> kNoFields;

// The redo journal beside a table: the last row written in place, so that a row cut short by the
// death of the process can be completed at the next open.
//
//   0   4  magic "KVJ1"
//   4  16  identity of the table file (FileHandle::identity(), zero-padded)
//  20   8  file offset of the row (little-endian)
//  28   4  length of the row
//  32   n  the row's bytes
//  32+n 8  FNV-1a 64 checksum of everything before it
constexpr char kJournalMagic[4] = {'K', 'V', 'J', '1'};
constexpr int kJournalHead = 32;
constexpr int kIdentitySize = 16;

quint64 fnv1a(const char* data, qsizetype size) {
    quint64 h = 0xcbf29ce484222325ULL;
    for (qsizetype i = 0; i < size; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 0x100000001b3ULL;
    }
    return h;
}

QByteArray paddedIdentity(const QByteArray& identity) {
    QByteArray out = identity.left(kIdentitySize);
    out.resize(kIdentitySize, '\0');
    return out;
}

QString journalPath(const QString& table) {
    return table + QStringLiteral(".jnl");
}
QString newFilePath(const QString& table) {
    return table + QStringLiteral(".new");
}

QString quoted(const QString& fileName) {
    return u'"' + fileName + u'"';
}

StoreError tableError(const QString& fileName, const QString& what) {
    return StoreError(storeText(StoreText::Table).arg(quoted(fileName), what));
}

StoreError damaged(const QString& fileName, const QString& why) {
    return tableError(fileName, storeText(StoreText::Damaged).arg(why));
}

StoreError noField(const QString& fileName, QAnyStringView field) {
    return tableError(fileName, storeText(StoreText::NoField).arg(field.toString()));
}

StoreError inUse(const QString& fileName) {
    return tableError(fileName, storeText(StoreText::InUse));
}

StoreError cannotWrite(const QString& fileName, const QString& why) {
    return tableError(fileName, storeText(StoreText::CannotWrite).arg(why));
}

// The journal or the new copy beside a table could not be written: the message names the table,
// then the file and why.
StoreError journalError(const QString& table, const QString& why) {
    return cannotWrite(table,
                       storeText(StoreText::JournalFailed).arg(quoted(journalPath(table)), why));
}
StoreError newCopyError(const QString& table, const QString& why) {
    return cannotWrite(table,
                       storeText(StoreText::NewCopyFailed).arg(quoted(newFilePath(table)), why));
}

const QString& typeName(FieldType type) {
    switch (type) {
        case FieldType::String:
            return storeText(StoreText::TypeText);
        case FieldType::Integer:
            return storeText(StoreText::TypeInteger);
        case FieldType::Boolean:
            return storeText(StoreText::TypeBoolean);
        case FieldType::DateTime:
            break;
    }
    return storeText(StoreText::TypeDateTime);
}

// Builds a table file (header, descriptors, no rows, end mark) for `fields`; raises on a layout
// that cannot be stored.
QByteArray buildEmptyFile(const QString& fileName, const QList<FieldDef>& fields,
                          const QDate& today) {
    if (fields.isEmpty()) {
        throw tableError(fileName, storeText(StoreText::NoFields));
    }
    if (fields.size() > kMaxFields) {
        throw tableError(fileName,
                         storeText(StoreText::TooManyFields).arg(fields.size()).arg(kMaxFields));
    }
    int recordLength = 1;
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        const QString& name = f.name;
        bool nameOk = !name.isEmpty() && name.size() <= kMaxFieldName;
        for (QChar c : name) {
            nameOk = nameOk && c.unicode() > 0x20 && c.unicode() < 0x7F;
        }
        if (!nameOk) {
            throw tableError(fileName, storeText(StoreText::BadFieldName).arg(name));
        }
        for (int j = 0; j < i; ++j) {
            if (fields[j].name.compare(name, Qt::CaseInsensitive) == 0) {
                throw tableError(fileName, storeText(StoreText::FieldNameTwice).arg(name));
            }
        }
        const int width = storedWidth(f.type, f.width);
        if (width < 1 || width > 0xFFFF) {
            throw tableError(fileName, storeText(StoreText::BadWidth).arg(name).arg(f.width));
        }
        recordLength += width;
    }
    if (recordLength > 0xFFFF) {
        throw tableError(fileName, storeText(StoreText::RowTooLong).arg(recordLength));
    }

    const int headerLength = kLevel7HeaderSize + kLevel7DescriptorSize * int(fields.size()) + 1;
    QByteArray out(headerLength + 1, '\0');
    char* h = out.data();
    h[0] = char(kVersionLevel7);
    putHeaderDate(h, today);
    putLe32(h + 4, 0);
    putLe16(h + 8, quint16(headerLength));
    putLe16(h + 10, quint16(recordLength));
    h[29] = char(kLanguageDriver1251);
    char* d = h + kLevel7HeaderSize;
    for (const FieldDef& f : fields) {
        const QByteArray name = f.name.toLatin1();
        std::memcpy(d, name.constData(), size_t(name.size()));
        d[32] = char(f.type);
        const int width = storedWidth(f.type, f.width);
        d[33] = char(width & 0xFF);
        d[34] = char(f.type == FieldType::String ? (width >> 8) & 0xFF : 0);
        d += kLevel7DescriptorSize;
    }
    *d = char(kHeaderEnd);
    out[headerLength] = char(kFileEnd);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

struct Table::Impl {
    Table* q;
    std::shared_ptr<FileIo> io = posixFileIo();

    std::unique_ptr<FileHandle> file;
    std::unique_ptr<FileHandle> journal;  // opened at the first change written in place
    bool isOpen = false;
    bool writable = false;
    Access access = Access::Shared;

    Layout layout;
    QList<FieldDef> defs;
    std::vector<char> image;  // header and counted rows, as in the file
    std::vector<char> blank;  // a never-written row
    std::vector<int> live;    // row numbers of the live rows, in file order
    int pos = -1;
    bool bof = true;
    bool eof = true;

    State state = State::Browse;
    std::vector<char> pending;  // a row and the end mark after it

    int disabled = 0;
    bool dateStamped = false;

    bool batch = false;
    std::vector<char> batchBase;  // the image at beginBatch()

    explicit Impl(Table* table) : q(table) {}

    const QString& name() const { return q->fileName_; }

    // --- checks ---------------------------------------------------------------------------

    void requireOpen() const {
        if (!isOpen) {
            throw tableError(name(), storeText(StoreText::NotOpen));
        }
    }
    void requireWritable() const {
        requireOpen();
        if (!writable) {
            throw cannotWrite(name(), storeText(StoreText::ReadOnly));
        }
    }
    const FieldLayout& field(int index, FieldType type) const {
        requireOpen();
        if (index < 0 || index >= int(layout.fields.size())) {
            throw tableError(name(), storeText(StoreText::NoFieldNumber).arg(index));
        }
        const FieldLayout& f = layout.fields[size_t(index)];
        if (f.type != type) {
            throw tableError(name(), storeText(StoreText::WrongFieldType)
                                         .arg(typeName(type), defs[index].name, typeName(f.type)));
        }
        return f;
    }
    int indexOf(QAnyStringView fieldName) const {
        requireOpen();
        const int i = q->fieldIndex(fieldName);
        if (i < 0) {
            throw noField(name(), fieldName);
        }
        return i;
    }
    char* pendingField(int index, FieldType type) {
        const FieldLayout& f = field(index, type);
        if (state == State::Browse) {
            throw tableError(name(), storeText(StoreText::NotEditing).arg(defs[index].name));
        }
        return pending.data() + f.offset;
    }

    // --- rows -----------------------------------------------------------------------------

    qint64 rowOffset(int row) const {
        return qint64(layout.headerLength) + qint64(row) * layout.recordLength;
    }
    int rowCount() const { return int(layout.rowCount); }
    const char* liveRow(int position) const { return image.data() + rowOffset(live[position]); }
    // The bytes the getters read: the pending row while editing, else the current row, else
    // none (an empty table).
    const char* currentRow() const {
        if (state != State::Browse) {
            return pending.data();
        }
        return pos >= 0 ? liveRow(pos) : nullptr;
    }

    // --- signals --------------------------------------------------------------------------

    void signalReset() {
        if (disabled == 0) {
            Q_EMIT q->reset();
        }
    }
    void signalMoved() {
        if (disabled == 0) {
            Q_EMIT q->cursorMoved(pos);
        }
    }
    void signalRowChanged(int position) {
        if (disabled == 0) {
            Q_EMIT q->rowChanged(position);
        }
    }

    // --- opening and closing --------------------------------------------------------------

    void open(Access wanted);
    void replayJournal();
    void closeFile();
    void takeImage(std::vector<char> bytes);

    // --- writing --------------------------------------------------------------------------

    void stampDate();
    void writeInPlace(int row, const char* bytes);
    void append(const char* rowAndEnd);
    void replaceFile(std::vector<char> newImage);
    void takeBack(std::vector<char> bytes);
    void dropBatch();
    // A batch is over (written or dropped): its copy of the rows is let go.
    void endBatch() {
        batch = false;
        batchBase = std::vector<char>();
    }
    void write(FileHandle& handle, qint64 offset, const char* data, qint64 size) {
        if (handle.write(offset, data, size) != size) {
            throw cannotWrite(name(), handle.errorString());
        }
    }
};

void Table::Impl::takeImage(std::vector<char> bytes) {
    image = std::move(bytes);
    live.clear();
    live.reserve(size_t(layout.rowCount));
    for (int row = 0; row < rowCount(); ++row) {
        if (image[size_t(rowOffset(row))] != char(kDeleted)) {
            live.push_back(row);
        }
    }
}

void Table::Impl::open(Access wanted) {
    auto handle = io->open(name(), FileIo::Mode::ReadWrite, FileIo::Links::Follow);
    bool canWrite = true;
    if (!handle) {
        const QString why = io->errorString();
        handle = io->open(name(), FileIo::Mode::ReadOnly, FileIo::Links::Follow);
        canWrite = false;
        if (!handle) {
            throw tableError(name(), storeText(StoreText::CannotOpen).arg(why));
        }
    }
    // Alone with the file (no other holder at all)? Only then may a journal left behind by a
    // crash be replayed: nobody else is writing the file.
    const bool alone = handle->lock(FileHandle::Lock::Exclusive);
    if (!alone && (wanted == Access::Exclusive || !handle->lock(FileHandle::Lock::Shared))) {
        throw inUse(name());
    }

    const qint64 size = handle->size();
    if (size < 0) {
        throw tableError(name(), storeText(StoreText::CannotRead).arg(handle->errorString()));
    }
    if (size > kMaxFileSize) {
        throw tableError(name(), storeText(StoreText::TooLarge).arg(size));
    }
    std::vector<char> bytes(static_cast<size_t>(size));
    const qint64 got = handle->read(0, bytes.data(), size);
    if (got < 0) {
        throw tableError(name(), storeText(StoreText::CannotRead).arg(handle->errorString()));
    }
    bytes.resize(size_t(got));
    Layout parsed;
    const QString problem = parseLayout(bytes.data(), qint64(bytes.size()), parsed);
    if (!problem.isEmpty()) {
        if (parsed.notATable) {
            throw tableError(name(), storeText(StoreText::NotATable).arg(problem));
        }
        if (parsed.otherVersion) {
            throw tableError(name(), problem);
        }
        throw damaged(name(), problem);
    }
    bytes.resize(size_t(parsed.dataEnd()));

    file = std::move(handle);
    writable = canWrite;
    layout = std::move(parsed);
    defs.clear();
    for (const FieldLayout& f : layout.fields) {
        defs.append({f.name, f.type, f.width});
    }
    blank = blankRow(layout);
    pending.assign(size_t(layout.recordLength) + 1, '\0');
    pending.back() = char(kFileEnd);
    takeImage(std::move(bytes));
    isOpen = true;
    access = wanted;
    state = State::Browse;
    dateStamped = false;

    try {
        if (alone && writable) {
            replayJournal();
            io->remove(newFilePath(name()));  // left by a pack or empty that was cut short
        }
        if (alone && wanted == Access::Shared && !file->lock(FileHandle::Lock::Shared)) {
            throw inUse(name());
        }
    } catch (...) {
        closeFile();
        throw;
    }
    pos = live.empty() ? -1 : 0;
    bof = true;
    eof = live.empty();
}

void Table::Impl::replayJournal() {
    const QString path = journalPath(name());
    if (!io->exists(path)) {
        return;
    }
    bool valid = false;
    QString failure;
    if (auto j = io->open(path, FileIo::Mode::ReadOnly, FileIo::Links::NotFollowed)) {
        const qint64 size = j->size();
        const qint64 expected = kJournalHead + layout.recordLength + 8;
        QByteArray bytes(expected, '\0');
        if (size >= expected && j->read(0, bytes.data(), expected) == expected) {
            const char* b = bytes.constData();
            const qint64 offset = qint64(le64(b + 20));
            const qint64 length = le32(b + 28);
            valid = std::memcmp(b, kJournalMagic, 4) == 0 &&
                    QByteArray(b + 4, kIdentitySize) == paddedIdentity(file->identity()) &&
                    length == layout.recordLength && offset >= layout.headerLength &&
                    (offset - layout.headerLength) % layout.recordLength == 0 &&
                    offset + length <= layout.dataEnd() &&
                    le64(b + kJournalHead + length) == fnv1a(b, kJournalHead + length);
            if (valid && std::memcmp(image.data() + offset, b + kJournalHead, size_t(length))) {
                // Only a valid journal of this very file ever writes to it.
                if (file->write(offset, b + kJournalHead, length) != length) {
                    failure = file->errorString();
                } else {
                    std::memcpy(image.data() + offset, b + kJournalHead, size_t(length));
                    takeImage(std::move(image));
                }
            }
        }
    }
    if (!failure.isEmpty()) {
        throw tableError(name(), storeText(StoreText::CannotRepair).arg(failure));
    }
    io->remove(path);  // applied, or not ours: either way of no further use
}

void Table::Impl::closeFile() {
    if (journal) {
        journal.reset();
        io->remove(journalPath(name()));  // every write it guarded has completed
    }
    file.reset();
    isOpen = false;
    writable = false;
    image.clear();
    image.shrink_to_fit();
    live.clear();
    live.shrink_to_fit();
    pos = -1;
    bof = eof = true;
    state = State::Browse;
    endBatch();
}

void Table::Impl::stampDate() {
    if (dateStamped) {
        return;
    }
    char head[4] = {};
    putHeaderDate(head, clock().now().date());
    write(*file, 1, head + 1, 3);
    std::memcpy(image.data() + 1, head + 1, 3);
    dateStamped = true;
}

// Writes a changed row in place: first into the journal, then into the table. A write that
// fails is undone, and the journal takes the former row first: when even the undo fails, the
// table is closed and the next open completes the row as it was, never with the values whose
// post raised.
void Table::Impl::writeInPlace(int row, const char* bytes) {
    requireWritable();
    if (batch) {
        std::memcpy(image.data() + rowOffset(row), bytes, size_t(layout.recordLength));
        return;
    }
    stampDate();
    const qint64 offset = rowOffset(row);
    const qint64 length = layout.recordLength;

    const QString jpath = journalPath(name());
    if (!journal) {
        journal = io->open(jpath, FileIo::Mode::Create, FileIo::Links::NotFollowed);
        if (!journal) {
            throw journalError(name(), io->errorString());
        }
    }
    QByteArray record(kJournalHead + length + 8, '\0');
    char* r = record.data();
    std::memcpy(r, kJournalMagic, 4);
    const QByteArray id = paddedIdentity(file->identity());
    std::memcpy(r + 4, id.constData(), kIdentitySize);
    putLe64(r + 20, quint64(offset));
    putLe32(r + 28, quint32(length));
    std::memcpy(r + kJournalHead, bytes, size_t(length));
    putLe64(r + kJournalHead + length, fnv1a(r, kJournalHead + length));
    if (journal->write(0, r, record.size()) != record.size()) {
        const QString why = journal->errorString();
        journal.reset();
        io->remove(jpath);
        throw journalError(name(), why);
    }

    if (file->write(offset, bytes, length) != length) {
        const QString why = file->errorString();
        std::memcpy(r + kJournalHead, image.data() + offset, size_t(length));
        putLe64(r + kJournalHead + length, fnv1a(r, kJournalHead + length));
        const bool journalled = journal->write(0, r, record.size()) == record.size();
        bool undone = file->write(offset, image.data() + offset, length) == length;
        if (!journalled) {
            // It may still hold the new row, which must not reach the table.
            journal.reset();
            undone = io->remove(jpath) && undone;
        }
        if (!undone) {
            journal.reset();  // keep the file: it completes the row at the next open
            closeFile();
            throw cannotWrite(name(), storeText(StoreText::ClosedAfter).arg(why));
        }
        throw cannotWrite(name(), why);
    }
    std::memcpy(image.data() + offset, bytes, size_t(length));
}

// Appends a row: the row and the end mark beyond the counted rows first, then the count that
// makes the row part of the table.
void Table::Impl::append(const char* rowAndEnd) {
    requireWritable();
    if (layout.rowCount >= kMaxRows) {
        throw cannotWrite(name(), storeText(StoreText::Full));
    }
    const qint64 offset = layout.dataEnd();
    const qint64 length = layout.recordLength;
    if (batch) {
        image.insert(image.end(), rowAndEnd, rowAndEnd + length);
        live.push_back(int(layout.rowCount));
        ++layout.rowCount;
        putLe32(image.data() + 4, quint32(layout.rowCount));
        return;
    }
    write(*file, offset, rowAndEnd, length + 1);

    char head[8];
    std::memcpy(head, image.data(), 8);
    if (!dateStamped) {
        putHeaderDate(head, clock().now().date());
    }
    putLe32(head + 4, quint32(layout.rowCount + 1));
    if (file->write(1, head + 1, 7) != 7) {
        const QString why = file->errorString();
        if (file->write(1, image.data() + 1, 7) != 7) {
            closeFile();
            throw cannotWrite(name(), storeText(StoreText::ClosedAfter).arg(why));
        }
        throw cannotWrite(name(), why);
    }
    dateStamped = true;
    std::memcpy(image.data(), head, 8);
    image.insert(image.end(), rowAndEnd, rowAndEnd + length);
    live.push_back(int(layout.rowCount));
    ++layout.rowCount;
}

// Puts a new file in place of the table: written beside it, synced, renamed over it. The new
// file's handle, locked before the rename, becomes the table's.
void Table::Impl::replaceFile(std::vector<char> newImage) {
    requireWritable();
    if (state != State::Browse) {
        state = State::Browse;
    }
    const Access had = access;
    if (had == Access::Shared && !file->lock(FileHandle::Lock::Exclusive)) {
        if (!file->lock(FileHandle::Lock::Shared)) {
            closeFile();
        }
        throw inUse(name());
    }
    const QString tmp = newFilePath(name());
    try {
        // The journal guards only writes in place, and none is under way.
        if (journal) {
            journal.reset();
        }
        if (!io->remove(journalPath(name()))) {
            throw journalError(name(), io->errorString());
        }
        auto handle = io->open(tmp, FileIo::Mode::Create, FileIo::Links::NotFollowed);
        if (!handle) {
            throw newCopyError(name(), io->errorString());
        }
        if (!handle->lock(FileHandle::Lock::Exclusive)) {
            throw inUse(name());
        }
        char* h = newImage.data();
        putHeaderDate(h, clock().now().date());
        newImage.push_back(char(kFileEnd));
        if (handle->write(0, newImage.data(), qint64(newImage.size())) != qint64(newImage.size()) ||
            !handle->sync()) {
            throw newCopyError(name(), handle->errorString());
        }
        newImage.pop_back();
        if (!io->rename(tmp, name())) {
            throw cannotWrite(name(), io->errorString());
        }
        io->syncFolderOf(name());  // the rename is done; a failure here only risks power loss
        file = std::move(handle);
    } catch (...) {
        io->remove(tmp);
        if (isOpen && had == Access::Shared && !file->lock(FileHandle::Lock::Shared)) {
            closeFile();
        }
        throw;
    }
    if (had == Access::Shared) {
        file->lock(FileHandle::Lock::Shared);
    }
    dateStamped = true;
    takeBack(std::move(newImage));
    endBatch();  // every row is written now
}

// Makes `bytes` (header and counted rows) the rows in memory, the cursor on the first row.
void Table::Impl::takeBack(std::vector<char> bytes) {
    layout.rowCount = (qint64(bytes.size()) - layout.headerLength) / layout.recordLength;
    takeImage(std::move(bytes));
    pos = live.empty() ? -1 : 0;
    bof = true;
    eof = live.empty();
}

void Table::Impl::dropBatch() {
    state = State::Browse;
    takeBack(std::move(batchBase));
    endBatch();
    signalReset();
    signalMoved();
}

// ---------------------------------------------------------------------------------------------

Table::Table(QString fileName, QObject* parent)
    : QObject(parent), fileName_(std::move(fileName)), d(std::make_unique<Impl>(this)) {}

Table::~Table() {
    d->disabled = 1;
    d->closeFile();
}

void Table::create(const QString& fileName, const QList<FieldDef>& fields) {
    create(fileName, fields, *posixFileIo());
}

void Table::create(const QString& fileName, const QList<FieldDef>& fields, FileIo& io) {
    const QByteArray bytes = buildEmptyFile(fileName, fields, clock().now().date());

    // Replacing a table that is open elsewhere would pull it from under its users.
    std::unique_ptr<FileHandle> old;
    if (io.exists(fileName)) {
        old = io.open(fileName, FileIo::Mode::ReadOnly, FileIo::Links::Follow);
        if (old && !old->lock(FileHandle::Lock::Exclusive)) {
            throw inUse(fileName);
        }
    }
    const QString tmp = newFilePath(fileName);
    auto handle = io.open(tmp, FileIo::Mode::Create, FileIo::Links::NotFollowed);
    if (!handle) {
        throw tableError(fileName, storeText(StoreText::CannotCreate).arg(io.errorString()));
    }
    const bool ok =
        handle->write(0, bytes.constData(), bytes.size()) == bytes.size() && handle->sync();
    const QString why = handle->errorString();
    handle.reset();
    if (!ok) {
        io.remove(tmp);
        throw tableError(fileName, storeText(StoreText::CannotCreate).arg(why));
    }
    if (!io.remove(journalPath(fileName)) || !io.rename(tmp, fileName)) {
        const QString why2 = io.errorString();
        io.remove(tmp);
        throw tableError(fileName, storeText(StoreText::CannotCreate).arg(why2));
    }
    io.syncFolderOf(fileName);
}

void Table::setFileIo(std::shared_ptr<FileIo> io) {
    if (d->isOpen) {
        throw tableError(fileName_, storeText(StoreText::FileLayerWhileOpen));
    }
    d->io = io ? std::move(io) : posixFileIo();
}

void Table::open(Access access) {
    if (d->isOpen) {
        return;
    }
    d->open(access);
    d->signalReset();
    d->signalMoved();
}

void Table::close() {
    if (!d->isOpen) {
        return;
    }
    d->closeFile();
    d->signalReset();
}

bool Table::isOpen() const {
    return d->isOpen;
}

Table::Access Table::access() const {
    return d->access;
}

const QList<FieldDef>& Table::fields() const {
    return d->isOpen ? d->defs : kNoFields;
}

int Table::fieldIndex(QAnyStringView name) const {
    if (!d->isOpen) {
        return -1;
    }
    for (int i = 0; i < d->defs.size(); ++i) {
        if (QAnyStringView::compare(d->defs[i].name, name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

int Table::missingField(const char* name) const {
    d->requireOpen();
    throw noField(fileName_, QLatin1StringView(name));
}

// --- navigation -------------------------------------------------------------------------------

void Table::first() {
    d->requireOpen();
    post();
    d->pos = d->live.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->live.empty();
    d->signalMoved();
}

void Table::next() {
    d->requireOpen();
    post();
    if (d->eof) {
        return;
    }
    d->bof = false;
    if (d->pos + 1 < int(d->live.size())) {
        ++d->pos;
        d->signalMoved();
    } else {
        d->eof = true;
    }
}

void Table::prior() {
    d->requireOpen();
    post();
    if (d->bof) {
        return;
    }
    d->eof = false;
    if (d->pos > 0) {
        --d->pos;
        d->signalMoved();
    } else {
        d->bof = true;
    }
}

bool Table::bof() const {
    return !d->isOpen || d->bof;
}

bool Table::eof() const {
    return !d->isOpen || d->eof;
}

bool Table::isEmpty() const {
    return d->live.empty();
}

int Table::recordCount() const {
    return int(d->live.size());
}

int Table::recNo() const {
    return d->pos;
}

void Table::moveTo(int position) {
    d->requireOpen();
    post();
    if (position < 0 || position >= int(d->live.size())) {
        throw tableError(fileName_, storeText(StoreText::NoRow).arg(position).arg(d->live.size()));
    }
    d->pos = position;
    d->bof = d->eof = false;
    d->signalMoved();
}

// --- reading ----------------------------------------------------------------------------------

bool Table::asBool(int field) const {
    const FieldLayout& f = d->field(field, FieldType::Boolean);
    const char* row = d->currentRow();
    return row && readBool(row + f.offset);
}

int Table::asInt(int field) const {
    const FieldLayout& f = d->field(field, FieldType::Integer);
    const char* row = d->currentRow();
    return row ? readInt(row + f.offset) : 0;
}

QString Table::asString(int field) const {
    const FieldLayout& f = d->field(field, FieldType::String);
    const char* row = d->currentRow();
    return row ? readString(row + f.offset, f.width) : QString();
}

QDateTime Table::asDateTime(int field) const {
    const FieldLayout& f = d->field(field, FieldType::DateTime);
    const char* row = d->currentRow();
    return row ? readDateTime(row + f.offset) : zeroDateTime();
}

bool Table::asBool(const Field<bool>& field) const {
    return asBool(d->indexOf(field.name()));
}
int Table::asInt(const Field<int>& field) const {
    return asInt(d->indexOf(field.name()));
}
QString Table::asString(const Field<QString>& field) const {
    return asString(d->indexOf(field.name()));
}
QDateTime Table::asDateTime(const Field<QDateTime>& field) const {
    return asDateTime(d->indexOf(field.name()));
}

namespace {
void checkPosition(const QString& fileName, int position, size_t count) {
    if (position < 0 || size_t(position) >= count) {
        throw tableError(fileName, storeText(StoreText::NoRow).arg(position).arg(count));
    }
}
}  // namespace

bool Table::peekBool(int position, int field) const {
    const FieldLayout& f = d->field(field, FieldType::Boolean);
    checkPosition(fileName_, position, d->live.size());
    return readBool(d->liveRow(position) + f.offset);
}

int Table::peekInt(int position, int field) const {
    const FieldLayout& f = d->field(field, FieldType::Integer);
    checkPosition(fileName_, position, d->live.size());
    return readInt(d->liveRow(position) + f.offset);
}

QString Table::peekString(int position, int field) const {
    const FieldLayout& f = d->field(field, FieldType::String);
    checkPosition(fileName_, position, d->live.size());
    return readString(d->liveRow(position) + f.offset, f.width);
}

QDateTime Table::peekDateTime(int position, int field) const {
    const FieldLayout& f = d->field(field, FieldType::DateTime);
    checkPosition(fileName_, position, d->live.size());
    return readDateTime(d->liveRow(position) + f.offset);
}

// --- changing ---------------------------------------------------------------------------------

Table::State Table::state() const {
    return d->state;
}

void Table::edit() {
    d->requireWritable();
    if (d->state != State::Browse) {
        return;
    }
    if (d->live.empty()) {
        throw tableError(fileName_, storeText(StoreText::NothingToEdit));
    }
    const char* row = d->liveRow(d->pos);
    std::memcpy(d->pending.data(), row, size_t(d->layout.recordLength));
    d->state = State::Edit;
}

void Table::insert() {
    d->requireWritable();
    post();
    std::memcpy(d->pending.data(), d->blank.data(), d->blank.size());
    d->state = State::Insert;
}

void Table::setBool(int field, bool value) {
    writeBool(d->pendingField(field, FieldType::Boolean), value);
}

void Table::setInt(int field, int value) {
    writeInt(d->pendingField(field, FieldType::Integer), value);
}

void Table::setString(int field, const QString& value) {
    const FieldLayout& f = d->field(field, FieldType::String);
    writeString(d->pendingField(field, FieldType::String), f.width, value);
}

void Table::setDateTime(int field, const QDateTime& value) {
    char* p = d->pendingField(field, FieldType::DateTime);
    if (!writeDateTime(p, value)) {
        throw tableError(fileName_,
                         storeText(StoreText::BadDate)
                             .arg(value.date().toString(Qt::ISODate), d->defs[field].name));
    }
}

void Table::setBool(const Field<bool>& field, bool value) {
    setBool(d->indexOf(field.name()), value);
}
void Table::setInt(const Field<int>& field, int value) {
    setInt(d->indexOf(field.name()), value);
}
void Table::setString(const Field<QString>& field, const QString& value) {
    setString(d->indexOf(field.name()), value);
}
void Table::setDateTime(const Field<QDateTime>& field, const QDateTime& value) {
    setDateTime(d->indexOf(field.name()), value);
}

// A failed post raises and drops the pending values: the table is back in browse state and
// the row (or the table, for an insert) is as it was.
void Table::post() {
    if (!d->isOpen || d->state == State::Browse) {
        return;
    }
    const State was = d->state;
    d->state = State::Browse;
    if (was == State::Insert) {
        d->append(d->pending.data());
        d->pos = int(d->live.size()) - 1;
        d->bof = d->eof = false;
        d->signalReset();
        d->signalMoved();
        return;
    }
    const int row = d->live[size_t(d->pos)];
    const char* stored = d->liveRow(d->pos);
    if (std::memcmp(stored, d->pending.data(), size_t(d->layout.recordLength)) == 0) {
        return;  // nothing changed
    }
    d->writeInPlace(row, d->pending.data());
    d->signalRowChanged(d->pos);
}

void Table::cancel() {
    d->state = State::Browse;
}

void Table::deleteRecord() {
    d->requireWritable();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    d->state = State::Browse;
    if (d->live.empty()) {
        throw tableError(fileName_, storeText(StoreText::NothingToDelete));
    }
    const int row = d->live[size_t(d->pos)];
    std::vector<char> bytes(d->liveRow(d->pos), d->liveRow(d->pos) + d->layout.recordLength);
    bytes[0] = char(kDeleted);
    d->writeInPlace(row, bytes.data());
    d->live.erase(d->live.begin() + d->pos);
    if (d->pos >= int(d->live.size())) {
        d->pos = int(d->live.size()) - 1;
    }
    d->bof = d->eof = d->live.empty();
    d->signalReset();
    d->signalMoved();
}

bool Table::locate(const QStringList& fields, const QVariantList& values) {
    d->requireOpen();
    if (fields.size() != values.size() || fields.isEmpty()) {
        throw tableError(fileName_,
                         storeText(StoreText::BadSearch).arg(fields.size()).arg(values.size()));
    }
    std::vector<int> index;
    for (const QString& f : fields) {
        index.push_back(d->indexOf(f));
    }
    post();

    // Each wanted value in its stored form, so that rows are compared byte for byte.
    std::vector<QByteArray> wanted;
    for (size_t i = 0; i < index.size(); ++i) {
        const FieldLayout& f = d->layout.fields[size_t(index[i])];
        const QVariant& v = values[qsizetype(i)];
        QByteArray bytes;
        switch (f.type) {
            case FieldType::String: {
                const QString text = v.toString();
                if (text.size() > f.width || !cp1251::canEncode(text) || text.contains(QChar(0))) {
                    return false;  // such a text is never stored
                }
                bytes = cp1251::encode(text);
                break;
            }
            case FieldType::Integer:
                bytes.resize(4);
                writeInt(bytes.data(), v.toInt());
                break;
            case FieldType::Boolean:
                bytes = QByteArray(1, v.toBool() ? 'T' : 'F');
                break;
            case FieldType::DateTime:
                bytes.resize(8);
                if (!writeDateTime(bytes.data(), v.toDateTime())) {
                    return false;
                }
                break;
        }
        wanted.push_back(bytes);
    }

    for (int position = 0; position < int(d->live.size()); ++position) {
        const char* row = d->liveRow(position);
        bool match = true;
        for (size_t i = 0; i < index.size() && match; ++i) {
            const FieldLayout& f = d->layout.fields[size_t(index[i])];
            const char* p = row + f.offset;
            switch (f.type) {
                case FieldType::String: {
                    const qsizetype n = storedTextLength(p, f.width);
                    match = n == wanted[i].size() &&
                            std::memcmp(p, wanted[i].constData(), size_t(n)) == 0;
                    break;
                }
                case FieldType::Boolean:
                    match = readBool(p) == (wanted[i][0] == 'T');
                    break;
                case FieldType::Integer:
                case FieldType::DateTime:
                    match = std::memcmp(p, wanted[i].constData(), size_t(wanted[i].size())) == 0;
                    break;
            }
        }
        if (match) {
            d->pos = position;
            d->bof = d->eof = false;
            d->signalMoved();
            return true;
        }
    }
    return false;
}

void Table::emptyTable() {
    d->requireWritable();
    std::vector<char> bytes(d->image.begin(), d->image.begin() + d->layout.headerLength);
    putLe32(bytes.data() + 4, 0);
    d->replaceFile(std::move(bytes));
    d->signalReset();
    d->signalMoved();
}

void Table::pack() {
    d->requireWritable();
    const qint64 length = d->layout.recordLength;
    std::vector<char> bytes;
    bytes.reserve(size_t(d->layout.headerLength + qint64(d->live.size()) * length + 1));
    bytes.insert(bytes.end(), d->image.begin(), d->image.begin() + d->layout.headerLength);
    for (int position = 0; position < int(d->live.size()); ++position) {
        const char* row = d->liveRow(position);
        bytes.insert(bytes.end(), row, row + length);
    }
    putLe32(bytes.data() + 4, quint32(d->live.size()));
    d->replaceFile(std::move(bytes));
    d->signalReset();
    d->signalMoved();
}

void Table::beginBatch() {
    d->requireWritable();
    if (d->batch) {
        throw tableError(fileName_, storeText(StoreText::BatchOpen));
    }
    post();
    d->batchBase = d->image;
    d->batch = true;
}

void Table::commitBatch() {
    d->requireWritable();
    if (!d->batch) {
        throw tableError(fileName_, storeText(StoreText::NoBatch));
    }
    try {
        post();
        pack();
    } catch (...) {
        if (d->batch) {
            d->dropBatch();
        }
        throw;
    }
}

void Table::cancelBatch() {
    if (d->batch) {
        d->dropBatch();
    }
}

bool Table::inBatch() const {
    return d->batch;
}

Table::SavedRows Table::savedRows() const {
    d->requireOpen();
    SavedRows rows;
    rows.image_ = d->image;
    rows.headerLength_ = d->layout.headerLength;
    rows.recordLength_ = d->layout.recordLength;
    return rows;
}

void Table::restoreRows(const SavedRows& rows) {
    d->requireWritable();
    if (rows.headerLength_ != d->layout.headerLength ||
        rows.recordLength_ != d->layout.recordLength || rows.image_.empty()) {
        throw tableError(fileName_, storeText(StoreText::OtherLayoutRows));
    }
    d->replaceFile(rows.image_);
    d->signalReset();
    d->signalMoved();
}

// --- views ------------------------------------------------------------------------------------

void Table::disableControls() {
    ++d->disabled;
}

void Table::enableControls() {
    if (d->disabled == 0) {
        return;
    }
    if (--d->disabled == 0) {
        d->signalReset();
        if (d->isOpen) {
            d->signalMoved();
        }
    }
}

bool Table::controlsDisabled() const {
    return d->disabled > 0;
}

int deleteRowsWhere(Table& table, const Field<QString>& field, const QString& value) {
    Q_ASSERT(table.inBatch());
    const auto index = table.fieldIndex(field);
    int deleted = 0;
    for (int position = table.recordCount() - 1; position >= 0; --position) {
        if (table.peekString(position, index) == value) {
            table.moveTo(position);
            table.deleteRecord();
            ++deleted;
        }
    }
    return deleted;
}

}  // namespace kv
