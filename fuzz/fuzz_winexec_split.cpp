// The command-line splitter on arbitrary text. Nothing is ever started here: the file system is
// a pure predicate. Checks that the program is a prefix of the line (or the quoted text after
// its first character) and that splitting the arguments again changes nothing.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "platform/winexec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // First byte: which prefixes count as existing files (by length, modulo 8).
    const unsigned pattern = data[0];
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const kv::CommandLineParts parts = kv::splitCommandLine(
        line, [&](const QString& candidate) { return (pattern >> (candidate.size() % 8)) & 1u; });
    if (parts.quoted) {
        if (!line.startsWith(u'"') || !line.mid(1).startsWith(parts.program)) {
            std::abort();
        }
    } else if (!line.startsWith(parts.program) || parts.program.contains(u'"')) {
        std::abort();
    }
    // Arguments never hold a quote; quoting each one back gives the same arguments again.
    QString again;
    for (const QString& a : parts.arguments) {
        if (a.contains(u'"')) {
            std::abort();
        }
        again += QStringLiteral(" \"") + a + u'"';
    }
    if (kv::splitArguments(again) != parts.arguments) {
        std::abort();
    }
    return 0;
}
