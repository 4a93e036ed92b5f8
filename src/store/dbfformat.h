#pragma once

// The byte layout of dBASE table files: the header, the field descriptors and the field codecs.
// Level 7 files (68-byte header, 48-byte descriptors) are what the program writes; files of the
// older levels (32-byte header and descriptors) are read and written in their own layout.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/codepage1251.h"
#include "store/table.h"

namespace kv::dbf {

constexpr unsigned char kVersionLevel7 = 0x04;
constexpr unsigned char kLanguageDriver1251 = 0xC9;
constexpr unsigned char kHeaderEnd = 0x0D;
constexpr unsigned char kFileEnd = 0x1A;
constexpr unsigned char kLive = 0x20;
constexpr unsigned char kDeleted = 0x2A;

constexpr int kLevel7HeaderSize = 68;
constexpr int kLevel7DescriptorSize = 48;
constexpr int kLevel3HeaderSize = 32;
constexpr int kLevel3DescriptorSize = 32;

constexpr int kMaxFieldName = 31;
constexpr int kMaxFields = (0xFFFF - kLevel7HeaderSize - 1) / kLevel7DescriptorSize;
constexpr qint64 kMaxFileSize = qint64(1) << 30;  // far above any table of the program
constexpr qint64 kMaxRows = INT_MAX - 1;

struct FieldLayout {
    QString name;
    FieldType type;
    int width;   // characters for text, else the fixed size
    int offset;  // from the start of the row (the deletion flag is byte 0)
};

struct Layout {
    int version = 0;
    bool level7 = true;
    int headerLength = 0;
    int recordLength = 0;
    qint64 rowCount = 0;  // rows counted in the header, deleted ones included
    std::vector<FieldLayout> fields;
    bool notATable = false;  // set with the problem when the file is no dBASE table at all
    // Set when a file of an older version does not read in that version's layout; the problem
    // then says so in full ("is a ... file ... that this program cannot read").
    bool otherVersion = false;

    qint64 dataEnd() const { return headerLength + rowCount * recordLength; }
};

// Reads and checks the header of a table file of `size` bytes, and the mark that begins each of
// its rows. Returns an empty text when the file is sound, else what is wrong with it (`out` is
// then unusable). Every number is checked against the size before it is used.
QString parseLayout(const char* data, qint64 size, Layout& out);

// A row whose fields were never written.
std::vector<char> blankRow(const Layout& layout);

// Bytes a field takes in a row.
inline int storedWidth(FieldType type, int width) {
    switch (type) {
        case FieldType::String:
            return width;
        case FieldType::Integer:
            return 4;
        case FieldType::Boolean:
            return 1;
        case FieldType::DateTime:
            return 8;
    }
    return 0;
}

// --- integers in the header and the journal --------------------------------------------------

inline quint32 le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8;
}
inline quint32 le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
inline quint64 le64(const char* p) {
    return quint64(le32(p)) | quint64(le32(p + 4)) << 32;
}
inline void putLe16(char* p, quint16 v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void putLe32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = char((v >> (8 * i)) & 0xFF);
    }
}
inline void putLe64(char* p, quint64 v) {
    putLe32(p, quint32(v));
    putLe32(p + 4, quint32(v >> 32));
}
inline quint32 be32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}
inline void putBe32(char* p, quint32 v) {
    p[0] = char(v >> 24);
    p[1] = char((v >> 16) & 0xFF);
    p[2] = char((v >> 8) & 0xFF);
    p[3] = char(v & 0xFF);
}

// Bytes 1-3 of the header: the date of the last update.
inline void putHeaderDate(char* header, const QDate& date) {
    header[1] = char(std::clamp(date.year() - 1900, 0, 255));
    header[2] = char(date.month());
    header[3] = char(date.day());
}

// --- field codecs ----------------------------------------------------------------------------

// Length of the text stored in a `C` field: up to the first 0x00, or, in a field without one
// (padded with blanks by another program), without its trailing blanks.
inline qsizetype storedTextLength(const char* p, int width) {
    if (const void* zero = std::memchr(p, 0, size_t(width))) {
        return static_cast<const char*>(zero) - p;
    }
    qsizetype n = width;
    while (n > 0 && p[n - 1] == ' ') {
        --n;
    }
    return n;
}

inline QString readString(const char* p, int width) {
    return cp1251::decode(p, storedTextLength(p, width));
}

// Stores `value` left-aligned, cut to the width, padded with 0x00.
inline void writeString(char* p, int width, const QString& value) {
    const qsizetype n = cp1251::encodeInto(value, p, width);
    std::memset(p + n, 0, size_t(width - n));
}

// All zero bytes are a never-written field and read as 0; so the one value whose stored form
// they would be, the lowest int, reads back as 0 too.
inline int readInt(const char* p) {
    const quint32 stored = be32(p);
    return stored == 0 ? 0 : int(stored ^ 0x80000000u);
}
inline void writeInt(char* p, int value) {
    putBe32(p, quint32(value) ^ 0x80000000u);
}

inline bool readBool(const char* p) {
    return *p == 'T' || *p == 't' || *p == 'Y' || *p == 'y';
}
inline void writeBool(char* p, bool value) {
    *p = value ? 'T' : 'F';
}

QDateTime readDateTime(const char* p);
// False (nothing written) when the date lies outside what the field can hold.
bool writeDateTime(char* p, const QDateTime& value);

}  // namespace kv::dbf
