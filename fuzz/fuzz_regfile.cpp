// The registry.reg reader on arbitrary bytes: it must never crash, hang or read out of bounds,
// and a malformed text must leave an empty registry.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "platform/registryfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const kv::RegistryFile registry = kv::RegistryFile::parse(bytes);
    if (registry.isMalformed() && registry.keyCount() != 0) {
        std::abort();
    }
    static const char16_t* const keys[] = {
        u"WinRAR\\shell\\open\\command",
        u"Applications\\WinZip.exe\\shell\\open\\command",
        u"",
        u"a",
    };
    for (const char16_t* key : keys) {
        const std::optional<QString> value = registry.classesRootDefault(QString::fromUtf16(key));
        if (value && registry.isMalformed()) {
            std::abort();
        }
    }
    return 0;
}
