#include "store/dbfformat.h"

#include "store/storetexts.h"

namespace kv::dbf {
namespace {

// The versions of the first byte that dBASE-family programs write, with the name a user may know
// them by; null for an unknown byte.
const char* versionName(unsigned char v) {
    switch (v) {
        case 0x03:
            return "dBASE III";
        case 0x04:
            return "dBASE level 7";
        case 0x05:
            return "dBASE level 5";
        case 0x30:
        case 0x31:
        case 0x32:
            return "Visual FoxPro";
        case 0x43:
        case 0x63:
        case 0xCB:
            return "dBASE IV SQL";
        case 0x83:
            return "dBASE III with memo";
        case 0x8B:
            return "dBASE IV with memo";
        case 0x8C:
            return "dBASE level 7 with memo";
        case 0xE5:
            return "HiPer-Six";
        case 0xF5:
            return "FoxPro with memo";
        case 0xFB:
            return "FoxBASE";
        default:
            return nullptr;
    }
}

bool isLevel7(unsigned char v) {
    return v == 0x04 || v == 0x8C;
}

// Reads the field list of a header whose length has been checked against the file; returns what
// is wrong with it, or an empty text.
QString parseFields(const char* data, Layout& out) {
    const auto* u = reinterpret_cast<const unsigned char*>(data);
    const int headerSize = out.level7 ? kLevel7HeaderSize : kLevel3HeaderSize;
    const int descriptorSize = out.level7 ? kLevel7DescriptorSize : kLevel3DescriptorSize;
    const int nameSize = out.level7 ? 32 : 11;
    const int typeAt = out.level7 ? 32 : 11;
    const int lengthAt = out.level7 ? 33 : 16;
    int offset = 1;
    int at = headerSize;
    for (;; at += descriptorSize) {
        if (at < out.headerLength && u[at] == kHeaderEnd) {
            break;
        }
        if (at + descriptorSize > out.headerLength) {
            return storeText(StoreText::NoFieldListEnd);
        }
        const char* d = data + at;
        const void* zero = std::memchr(d, 0, size_t(nameSize));
        const qsizetype nameLength = zero ? static_cast<const char*>(zero) - d : nameSize;
        const QString name = cp1251::decode(d, nameLength);
        const int number = int(out.fields.size()) + 1;
        if (name.isEmpty()) {
            return storeText(StoreText::FieldWithoutName).arg(number);
        }
        const unsigned char letter = u[at + typeAt];
        const int length = u[at + lengthAt];
        const int decimals = u[at + lengthAt + 1];
        FieldLayout f{name, FieldType::String, 0, offset};
        switch (letter) {
            case 'C':
                f.type = FieldType::String;
                f.width = length + 256 * decimals;
                break;
            case 'I':
                f.type = FieldType::Integer;
                f.width = length == 4 ? 4 : -1;
                break;
            case 'L':
                f.type = FieldType::Boolean;
                f.width = length == 1 ? 1 : -1;
                break;
            case '@':
                f.type = FieldType::DateTime;
                f.width = length == 8 ? 8 : -1;
                break;
            default:
                return storeText(StoreText::UnknownFieldType)
                    .arg(name)
                    .arg(letter, 2, 16, QLatin1Char('0'));
        }
        if (f.width < 1) {
            return storeText(StoreText::BadFieldLength).arg(name).arg(length);
        }
        offset += f.width;
        out.fields.push_back(f);
        if (offset > 0xFFFF) {
            break;  // reported below as a length mismatch
        }
    }
    if (out.fields.empty()) {
        return storeText(StoreText::NoFieldsInFile);
    }
    if (offset != out.recordLength) {
        return storeText(StoreText::RowLengthMismatch).arg(out.recordLength).arg(offset);
    }
    // A level 7 header ends with the end mark of its field list: a longer one would shift every
    // row. (Files of the older levels may carry more after it, such as a database's name.)
    if (out.level7 && out.headerLength != at + 1) {
        return storeText(StoreText::HeaderLengthMismatch).arg(out.headerLength).arg(at + 1);
    }
    return {};
}

}  // namespace

QString parseLayout(const char* data, qint64 size, Layout& out) {
    out = Layout();
    const auto* u = reinterpret_cast<const unsigned char*>(data);
    if (size <= 0) {
        out.notATable = true;
        return storeText(StoreText::EmptyFile);
    }
    if (!versionName(u[0])) {
        out.notATable = true;
        return storeText(StoreText::UnknownVersion).arg(u[0], 2, 16, QLatin1Char('0'));
    }
    out.version = u[0];
    out.level7 = isLevel7(u[0]);
    const int headerSize = out.level7 ? kLevel7HeaderSize : kLevel3HeaderSize;
    if (size < headerSize) {
        return storeText(StoreText::ShortHeader).arg(size).arg(headerSize);
    }
    out.rowCount = le32(data + 4);
    out.headerLength = int(le16(data + 8));
    out.recordLength = int(le16(data + 10));
    if (out.headerLength < headerSize + 1) {
        return storeText(StoreText::HeaderTooSmall).arg(out.headerLength);
    }
    if (out.headerLength > size) {
        return storeText(StoreText::ShortForHeader).arg(out.headerLength).arg(size);
    }

    const QString problem = parseFields(data, out);
    if (!problem.isEmpty()) {
        if (out.level7) {
            return problem;
        }
        // A field list that does not read in the layout of its version is most likely a file of
        // that version written in a way this program does not know, rather than a damaged one.
        out.otherVersion = true;
        return storeText(StoreText::OtherVersion)
            .arg(QLatin1String(versionName(u[0])))
            .arg(u[0], 2, 16, QLatin1Char('0'));
    }
    if (out.rowCount > kMaxRows || out.dataEnd() > size) {
        return storeText(StoreText::ShortForRows)
            .arg(out.rowCount)
            .arg(out.recordLength)
            .arg(out.dataEnd())
            .arg(size);
    }
    // Every row begins with its mark; any other byte there means the rows are not where the
    // header puts them.
    for (qint64 row = 0; row < out.rowCount; ++row) {
        const unsigned char mark = u[out.headerLength + row * out.recordLength];
        if (mark != kLive && mark != kDeleted) {
            return storeText(StoreText::BadRowMark).arg(row + 1).arg(mark, 2, 16, QLatin1Char('0'));
        }
    }
    return {};
}

std::vector<char> blankRow(const Layout& layout) {
    std::vector<char> row(size_t(layout.recordLength), '\0');
    row[0] = char(kLive);
    for (const FieldLayout& f : layout.fields) {
        if (f.type == FieldType::Boolean) {
            row[size_t(f.offset)] = ' ';
        }
    }
    return row;
}

QDateTime readDateTime(const char* p) {
    const quint32 day = be32(p);
    const quint32 ms = be32(p + 4);
    if (day == 0 && ms == 0) {
        return zeroDateTime();
    }
    const QDate date = QDate::fromJulianDay(day);
    if (ms < 86'400'000u) {
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
    }
    return QDateTime(date, QTime(0, 0), Qt::UTC).addMSecs(qint64(ms));
}

bool writeDateTime(char* p, const QDateTime& value) {
    static const QDate zeroDate(1899, 12, 30);
    if (!value.isValid() || (value.date() == zeroDate && value.time() == QTime(0, 0))) {
        std::memset(p, 0, 8);
        return true;
    }
    const qint64 day = value.date().toJulianDay();
    if (day < 1 || day > qint64(0xFFFFFFFF)) {
        return false;
    }
    putBe32(p, quint32(day));
    putBe32(p + 4, quint32(value.time().msecsSinceStartOfDay()));
    return true;
}

}  // namespace kv::dbf
