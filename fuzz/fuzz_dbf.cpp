// libFuzzer target for the table reader: opens the input as a table through the memory file
// layer, reads every field of every row as its type, then edits, appends, deletes, locates and
// packs, and reads the result again. An input that holds the bytes "\xFFJNL" is split there: what
// follows becomes the table's journal.

#include <QByteArray>
#include <QDateTime>
#include <cstddef>
#include <cstdint>

#include "store/fileio.h"
#include "store/table.h"
#include "support/memoryfileio.h"

using namespace kv;

namespace {

const QString kFile = QStringLiteral("t.dbf");

qint64 walk(Table& t) {
    qint64 sum = 0;
    const int fields = int(t.fields().size());
    for (t.first(); !t.eof(); t.next()) {
        for (int f = 0; f < fields; ++f) {
            switch (t.fields()[f].type) {
                case FieldType::String:
                    sum += t.asString(f).size();
                    sum += t.peekString(t.recNo(), f).size();
                    break;
                case FieldType::Integer:
                    sum += t.asInt(f);
                    break;
                case FieldType::Boolean:
                    sum += t.asBool(f);
                    break;
                case FieldType::DateTime:
                    sum += t.asDateTime(f).date().day();
                    break;
            }
        }
    }
    return sum;
}

void setAll(Table& t, int seed) {
    const int fields = int(t.fields().size());
    for (int f = 0; f < fields; ++f) {
        const FieldDef& d = t.fields()[f];
        switch (d.type) {
            case FieldType::String:
                t.setString(f, QString(seed % 300, QChar(0x0410 + seed % 64)));
                break;
            case FieldType::Integer:
                t.setInt(f, seed * 7919 - 100000);
                break;
            case FieldType::Boolean:
                t.setBool(f, seed % 2);
                break;
            case FieldType::DateTime:
                t.setDateTime(f, QDateTime(QDate(2020, 1, 1).addDays(seed),
                                           QTime(1, 2, 3, seed % 1000), Qt::UTC));
                break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf("\xFFJNL");
    auto io = std::make_shared<test::MemoryFileIo>();
    io->setFile(kFile, split < 0 ? input : input.left(split));
    if (split >= 0) {
        io->setFile(kFile + QStringLiteral(".jnl"), input.mid(split + 4));
    }

    Table t(kFile);
    t.setFileIo(io);
    try {
        t.open();
    } catch (const StoreError&) {
        return 0;
    }
    volatile qint64 sink = walk(t);
    const int seed = int(size % 1000);
    try {
        if (!t.isEmpty()) {
            t.moveTo(t.recordCount() / 2);
            t.edit();
            setAll(t, seed);
            t.post();
            if (!t.fields().isEmpty()) {
                QVariant value;
                switch (t.fields()[0].type) {
                    case FieldType::String:
                        value = t.asString(0);
                        break;
                    case FieldType::Integer:
                        value = t.asInt(0);
                        break;
                    case FieldType::Boolean:
                        value = t.asBool(0);
                        break;
                    case FieldType::DateTime:
                        value = t.asDateTime(0);
                        break;
                }
                t.first();
                t.locate({t.fields()[0].name}, {value});
            }
        }
        t.insert();
        setAll(t, seed + 1);
        t.post();
        t.first();
        t.deleteRecord();
        t.pack();
        sink = sink + walk(t);
        t.close();
        t.open();
        sink = sink + walk(t);
    } catch (const StoreError&) {
    }
    return 0;
}
