#pragma once

#include <QByteArray>
#include <QString>

namespace kv::cp1251 {

// Windows-1251 <-> Unicode. Tables, dictionaries and lang.txt hold their text in this code page.

QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}

// Characters that 1251 cannot represent become '?'.
QByteArray encode(const QString& text);

// Writes at most `capacity` bytes of `text` into `out`; returns the number written.
qsizetype encodeInto(const QString& text, char* out, qsizetype capacity);

// True when every character of `text` has a 1251 byte.
bool canEncode(const QString& text);

// Whether the bytes of a text file that is 1251 by default are UTF-8 instead: they begin with a
// UTF-8 byte-order mark, or they are valid UTF-8 and not plain ASCII. The rule of the
// dictionaries and of lang.txt.
bool isUtf8Text(QByteArrayView bytes);

}  // namespace kv::cp1251
