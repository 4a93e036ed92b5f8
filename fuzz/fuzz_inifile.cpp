// The dictionary reader and writer on arbitrary bytes: they must never crash, hang or read out
// of bounds, and setting one entry must change what that entry reads and nothing else.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "platform/codepage1251.h"
#include "platform/inifile.h"

namespace {

const QString kSections[] = {QStringLiteral("S"), QStringLiteral(""), QStringLiteral("Ж")};
const QString kKeys[] = {QStringLiteral("k"), QStringLiteral("K"), QStringLiteral("ж")};

constexpr int kS = int(std::size(kSections));
constexpr int kK = int(std::size(kKeys));

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // Byte 0 picks the entry to set, byte 1 how many bytes at the end of the file are its text.
    const QString& section = kSections[data[0] % kS];
    const QString& key = kKeys[(data[0] / kS) % kK];
    const QByteArray file(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    const QString text = kv::cp1251::decode(file.right(data[1]));

    QString before[kS][kK];
    for (int s = 0; s < kS; ++s) {
        for (int k = 0; k < kK; ++k) {
            before[s][k] = kv::ini::lookup(file, kSections[s], kKeys[k]);
        }
    }
    const std::optional<QByteArray> written = kv::ini::withEntry(file, section, key, text);
    if (!written) {
        std::abort();
    }
    // The entry alone in a file of the same encoding: a byte-order mark makes one UTF-8, a
    // comment with a byte that UTF-8 never holds keeps one in 1251.
    const QByteArray empty =
        kv::ini::readsAsUtf8(*written) ? QByteArray("\xEF\xBB\xBF") : QByteArray(";\xFF\r\n");
    const std::optional<QByteArray> alone = kv::ini::withEntry(empty, section, key, text);
    if (!alone) {
        std::abort();
    }
    const QString expected = kv::ini::lookup(*alone, section, key);
    for (int s = 0; s < kS; ++s) {
        for (int k = 0; k < kK; ++k) {
            const QString after = kv::ini::lookup(*written, kSections[s], kKeys[k]);
            const bool target = same(kSections[s], section) && same(kKeys[k], key);
            if (after != (target ? expected : before[s][k])) {
                std::abort();
            }
        }
    }
    return 0;
}
