#include "platform/codepage1251.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace kv::cp1251 {
namespace {

// Unicode code points of the bytes 0x80..0xFF; 0 marks the one unassigned byte (0x98).
constexpr std::array<char16_t, 128> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

// Encodes one UTF-16 unit; returns -1 when 1251 has no byte for it.
int encodeUnit(char16_t u) {
    if (u < 0x80) {
        return u;
    }
    if (u >= 0x0410 && u <= 0x044F) {  // А..я
        return 0xC0 + (u - 0x0410);
    }
    for (int i = 0; i < 64; ++i) {
        if (kHigh[i] == u) {
            return 0x80 + i;
        }
    }
    return -1;
}

}  // namespace

QString decode(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b < 0x80) {
            dst[i] = b;
        } else if (b >= 0xC0) {
            dst[i] = char16_t(0x0410 + (b - 0xC0));
        } else {
            const char16_t u = kHigh[b - 0x80];
            dst[i] = u ? u : char16_t(0xFFFD);
        }
    }
    return out;
}

qsizetype encodeInto(const QString& text, char* out, qsizetype capacity) {
    const qsizetype n = std::min(text.size(), capacity);
    const char16_t* src = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < n; ++i) {
        const int b = encodeUnit(src[i]);
        out[i] = b < 0 ? '?' : static_cast<char>(b);
    }
    return n;
}

QByteArray encode(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    encodeInto(text, out.data(), out.size());
    return out;
}

bool canEncode(const QString& text) {
    for (QChar c : text) {
        if (encodeUnit(c.unicode()) < 0) {
            return false;
        }
    }
    return true;
}

bool isUtf8Text(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return true;
    }
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (unsigned char)c < 0x80; })) {
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

}  // namespace kv::cp1251
