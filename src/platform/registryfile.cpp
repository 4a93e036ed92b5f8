#include "platform/registryfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

#include "platform/codepage1251.h"
#include "platform/error.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"

namespace kv {
namespace {

constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

const QString kVersion4 = QStringLiteral("REGEDIT4");
const QString kVersion5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kClassesRoot = QStringLiteral("HKEY_CLASSES_ROOT\\");

QString fold(const QString& keyPath) {
    return keyPath.toCaseFolded();
}

// Where the text stops making sense: a line (from 1; 0 for the whole file) and what is wrong.
struct ParseError {
    int line;
    PlatformText what;
};

// Decodes the file by its byte-order mark, else as UTF-8 when valid, else as Windows-1251.
bool decodeText(const QByteArray& bytes, QString* text) {
    auto decodeWith = [&](QStringConverter::Encoding encoding, qsizetype skip) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        *text = decoder.decode(QByteArrayView(bytes).sliced(skip));
        return !decoder.hasError();
    };
    if (bytes.startsWith("\xFF\xFE")) {
        return decodeWith(QStringConverter::Utf16LE, 2);
    }
    if (bytes.startsWith("\xFE\xFF")) {
        return decodeWith(QStringConverter::Utf16BE, 2);
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return decodeWith(QStringConverter::Utf8, 3);
    }
    if (decodeWith(QStringConverter::Utf8, 0)) {
        return true;
    }
    *text = cp1251::decode(bytes);
    return true;
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.append(text.mid(start));
    }
    return lines;
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isAllHex(QStringView s) {
    if (s.isEmpty()) {
        return false;
    }
    for (QChar c : s) {
        if (!isHexDigit(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Turns the lines of a registry export into keys and default values.
class RegistryParser {
public:
    explicit RegistryParser(RegistryFile& out) : out_(out) {}

    void run(const QByteArray& bytes) {
        QString text;
        if (!decodeText(bytes, &text)) {
            throw ParseError{0, PlatformText::RegistryBadEncoding};
        }
        lines_ = splitLines(text);
        // The header.
        bool header = false;
        for (; index_ < lines_.size() && !header; ++index_) {
            const QString t = lines_[index_].trimmed();
            if (t.isEmpty()) {
                continue;
            }
            if (t == kVersion4 || t == kVersion5) {
                unicodeHex_ = (t == kVersion5);
                header = true;
                continue;
            }
            fail(PlatformText::RegistryNoHeader);
        }
        if (!header) {
            throw ParseError{0, PlatformText::RegistryEmpty};
        }
        for (; index_ < lines_.size(); ++index_) {
            const QString line = lines_[index_].trimmed();
            if (line.isEmpty() || line.startsWith(u';')) {
                continue;
            }
            if (line.startsWith(u'[')) {
                section(line);
            } else {
                value(line);
            }
        }
    }

private:
    enum class Outcome { Text, NotText, Remove };

    [[noreturn]] void fail(PlatformText what) const { throw ParseError{int(index_) + 1, what}; }

    void section(const QString& line) {
        if (!line.endsWith(u']')) {
            fail(PlatformText::RegistryNoClosingBracket);
        }
        QString name = line.mid(1, line.size() - 2);
        const bool remove = name.startsWith(u'-');
        if (remove) {
            name.remove(0, 1);
        }
        if (name.isEmpty()) {
            fail(PlatformText::RegistryEmptyKeyName);
        }
        const QString key = fold(name);
        if (remove) {
            const QString under = key + u'\\';
            for (auto it = out_.keys_.begin(); it != out_.keys_.end();) {
                if (it.key() == key || it.key().startsWith(under)) {
                    it = out_.keys_.erase(it);
                } else {
                    ++it;
                }
            }
            current_.clear();
            removed_ = true;
            return;
        }
        current_ = key;
        removed_ = false;
        out_.keys_[key];  // the key exists from here on, even without values
    }

    // A quoted text starting at `pos` (on the opening quote); leaves `pos` after the closing one.
    QString quoted(const QString& line, qsizetype& pos) const {
        QString out;
        for (++pos; pos < line.size(); ++pos) {
            const QChar c = line[pos];
            if (c == u'"') {
                ++pos;
                return out;
            }
            if (c == u'\\' && pos + 1 < line.size() &&
                (line[pos + 1] == u'\\' || line[pos + 1] == u'"')) {
                out += line[++pos];
            } else {
                out += c;
            }
        }
        fail(PlatformText::RegistryNoClosingQuote);
    }

    static void skipBlanks(const QString& line, qsizetype& pos) {
        while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t')) {
            ++pos;
        }
    }

    void value(const QString& line) {
        if (current_.isEmpty() && !removed_) {
            fail(PlatformText::RegistryValueOutsideKey);
        }
        qsizetype pos = 0;
        bool isDefault = false;
        if (line[0] == u'@') {
            isDefault = true;
            pos = 1;
        } else if (line[0] == u'"') {
            quoted(line, pos);
        } else {
            fail(PlatformText::RegistryStrayLine);
        }
        skipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != u'=') {
            fail(PlatformText::RegistryNoEqualsSign);
        }
        ++pos;
        skipBlanks(line, pos);
        const QString data = line.mid(pos);

        Outcome outcome = Outcome::NotText;
        QString text;
        if (data.startsWith(u'"')) {
            qsizetype p = pos;
            text = quoted(line, p);
            skipBlanks(line, p);
            if (p != line.size()) {
                fail(PlatformText::RegistryTextAfterValue);
            }
            outcome = Outcome::Text;
        } else if (data == u"-") {
            outcome = Outcome::Remove;
        } else if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
            const QStringView digits = QStringView(data).mid(6);
            if (!isAllHex(digits) || digits.size() > 8) {
                fail(PlatformText::RegistryBadDword);
            }
        } else if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
            outcome = hexValue(data, &text);
        } else {
            fail(PlatformText::RegistryUnknownValueKind);
        }

        if (!isDefault || removed_) {
            return;  // named values and values of a removed key matter to no one here
        }
        RegistryFile::Key& key = out_.keys_[current_];
        if (outcome == Outcome::Remove) {
            key = {};
        } else {
            key.hasDefault = true;
            key.defaultText = outcome == Outcome::Text ? text : QString();
        }
    }

    // "hex:..." or "hex(<type>):...", with continuation lines. Text for types 1 and 2.
    Outcome hexValue(const QString& first, QString* text) {
        const qsizetype colon = first.indexOf(u':');
        if (colon < 0) {
            fail(PlatformText::RegistryBadHexData);
        }
        const QStringView kind = QStringView(first).left(colon);
        int type = 3;  // plain "hex:" is binary
        if (kind.size() > 3) {
            if (kind.size() < 6 || kind[3] != u'(' || !kind.endsWith(u')') ||
                !isAllHex(kind.mid(4, kind.size() - 5)) || kind.size() > 14) {
                fail(PlatformText::RegistryBadHexType);
            }
            type = int(kind.mid(4, kind.size() - 5).toUInt(nullptr, 16));
        } else if (kind.compare(u"hex", Qt::CaseInsensitive) != 0) {
            fail(PlatformText::RegistryUnknownValueKind);
        }
        QString data = first.mid(colon + 1).trimmed();
        while (data.endsWith(u'\\')) {
            data.chop(1);
            if (++index_ >= lines_.size()) {
                fail(PlatformText::RegistryCutShort);
            }
            data += lines_[index_].trimmed();
        }
        QByteArray bytes;
        if (!data.isEmpty()) {
            for (const QStringView part : QStringView(data).split(u',')) {
                const QStringView b = part.trimmed();
                if (!isAllHex(b) || b.size() > 2) {
                    fail(PlatformText::RegistryBadHexData);
                }
                bytes.append(char(b.toUInt(nullptr, 16)));
            }
        }
        if (type != 1 && type != 2) {
            return Outcome::NotText;
        }
        if (unicodeHex_) {
            QString s;
            for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
                const char16_t unit = char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8));
                if (unit == 0) {
                    break;
                }
                s += QChar(unit);
            }
            *text = s;
        } else {
            const qsizetype nul = bytes.indexOf('\0');
            *text = cp1251::decode(nul < 0 ? bytes : bytes.left(nul));
        }
        return Outcome::Text;
    }

    RegistryFile& out_;
    QStringList lines_;
    qsizetype index_ = 0;
    QString current_;
    bool removed_ = false;
    bool unicodeHex_ = false;
};

RegistryFile RegistryFile::parse(const QByteArray& bytes) {
    RegistryFile out;
    try {
        RegistryParser(out).run(bytes);
    } catch (const ParseError& e) {
        out.keys_.clear();
        const QString& what = platformText(e.what);
        out.error_ =
            e.line > 0 ? platformText(PlatformText::RegistryLine).arg(e.line).arg(what) : what;
    }
    return out;
}

namespace {

// The bytes of the file; none when it does not exist. Raises Error with what is wrong when it
// exists but cannot be taken in.
std::optional<QByteArray> readRegistryBytes(const QString& path) {
    FileRead read = readRegularFile(path, kMaxFileSize);
    switch (read.status) {
        case FileRead::Status::Read:
            return std::move(read.bytes);
        case FileRead::Status::Missing:
            return std::nullopt;
        case FileRead::Status::TooLarge:
            throw Error(platformText(PlatformText::RegistryTooLarge));
        case FileRead::Status::Failed:
            break;
    }
    throw Error(platformText(PlatformText::RegistryUnreadable).arg(read.error));
}

QSet<QByteArray>& reported() {
    static QSet<QByteArray> set;
    return set;
}

}  // namespace

RegistryFile RegistryFile::load(const QString& path, QByteArray* read) {
    try {
        const std::optional<QByteArray> bytes = readRegistryBytes(path);
        if (bytes && read) {
            *read = *bytes;
        }
        return bytes ? parse(*bytes) : RegistryFile();
    } catch (const Error& e) {
        RegistryFile out;
        out.error_ = e.message();
        return out;
    }
}

std::optional<QString> RegistryFile::classesRootDefault(const QString& subkey) const {
    const auto it = keys_.constFind(fold(kClassesRoot + subkey));
    if (it == keys_.constEnd()) {
        return std::nullopt;
    }
    return it->hasDefault ? it->defaultText : QString();
}

RegistryFile loadProgramRegistry() {
    const QString path = inProgramFolder(kRegistryFileName);
    QByteArray bytes;
    const RegistryFile registry = RegistryFile::load(path, &bytes);
    const QString& error = registry.error();
    if (!error.isEmpty()) {
        // Once per file contents: discovery runs several times in a row.
        const QByteArray id = path.toUtf8() + '\0' +
                              QCryptographicHash::hash(bytes, QCryptographicHash::Sha1) +
                              error.toUtf8();
        if (!reported().contains(id)) {
            reported().insert(id);
            messageBox(platformText(PlatformText::RegistryIgnored).arg(path, error),
                       platformText(PlatformText::ErrorCaption), MbButtons::Ok, MbIcon::Warning);
        }
        return RegistryFile();
    }
    return registry;
}

std::optional<QString> classesRootDefaultValue(const QString& subkey) {
    return loadProgramRegistry().classesRootDefault(subkey);
}

void resetRegistryReports() {
    reported().clear();
}

}  // namespace kv
