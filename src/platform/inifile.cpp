#include "platform/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <string_view>

#include "platform/codepage1251.h"
#include "platform/error.h"
#include "platform/savefile.h"

namespace kv {
namespace {

using Bytes = std::string_view;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

Bytes trimmed(Bytes s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

enum class LineKind { Blank, Comment, Section, Entry, Other };

struct Line {
    LineKind kind = LineKind::Other;
    Bytes name;  // section name or key
    Bytes text;  // entry text, as written
};

Line classify(Bytes line) {
    const Bytes s = trimmed(line);
    if (s.empty()) {
        return {LineKind::Blank, {}, {}};
    }
    if (s.front() == ';') {
        return {LineKind::Comment, {}, {}};
    }
    if (s.front() == '[') {
        const size_t close = s.rfind(']');
        const Bytes name = close == Bytes::npos ? s.substr(1) : s.substr(1, close - 1);
        return {LineKind::Section, trimmed(name), {}};
    }
    const size_t eq = s.find('=');
    if (eq == Bytes::npos) {
        return {LineKind::Other, {}, {}};
    }
    return {LineKind::Entry, trimmed(s.substr(0, eq)), s.substr(eq + 1)};
}

// Calls f(line) for every line of `file`, without its line break; stops when f returns false.
template <typename F>
void forEachLine(Bytes file, F&& f) {
    size_t pos = 0;
    while (pos < file.size()) {
        const size_t end = file.find_first_of("\r\n", pos);
        if (end == Bytes::npos) {
            f(file.substr(pos));
            return;
        }
        if (!f(file.substr(pos, end - pos))) {
            return;
        }
        pos = end + (file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n' ? 2 : 1);
    }
}

QList<Bytes> splitLines(Bytes bytes) {
    QList<Bytes> lines;
    forEachLine(bytes, [&](Bytes line) {
        lines.append(line);
        return true;
    });
    return lines;
}

QString trimmedName(const QString& name) {
    auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isBlank(name[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(name[end - 1])) {
        --end;
    }
    return name.mid(begin, end - begin);
}

// A name as it is stored: through the code page and without surrounding blanks.
QString storedName(const QString& name) {
    return cp1251::decode(cp1251::encode(trimmedName(name)));
}

bool sameName(Bytes stored, const QString& wanted) {
    // One byte per character: lengths differ, names differ.
    return qsizetype(stored.size()) == wanted.size() &&
           cp1251::decode(stored.data(), qsizetype(stored.size()))
                   .compare(wanted, Qt::CaseInsensitive) == 0;
}

QString textOf(Bytes raw) {
    Bytes s = raw.substr(0, raw.find('\0'));
    s = trimmed(s);
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
        s = s.substr(1, s.size() - 2);
    }
    s = s.substr(0, IniFile::kMaxTextLength);
    return cp1251::decode(s.data(), qsizetype(s.size()));
}

Bytes view(const QByteArray& bytes) {
    return Bytes(bytes.constData(), size_t(bytes.size()));
}

bool storable(const QString& section, const QString& key) {
    auto hasBreak = [](const QString& s) {
        return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
    };
    const QString k = trimmedName(key);
    return !k.isEmpty() && !k.contains(QLatin1Char('=')) && !k.startsWith(QLatin1Char(';')) &&
           !k.startsWith(QLatin1Char('[')) && !hasBreak(k) && !hasBreak(section);
}

// The lines of an entry: "key=" with the text's first line, then its continuation lines.
QList<QByteArray> entryLines(const QByteArray& key, const QString& text) {
    const QByteArray encoded = cp1251::encode(text);
    QList<QByteArray> lines;
    bool first = true;
    auto add = [&](Bytes line) {
        QByteArray out(line.data(), qsizetype(line.size()));
        if (first) {
            out.prepend(key + '=');
            first = false;
        } else {
            const LineKind kind = classify(line).kind;
            if (kind == LineKind::Section || kind == LineKind::Entry) {
                out.prepend(';');
            }
        }
        lines.append(out);
        return true;
    };
    forEachLine(view(encoded), add);
    if (first) {
        add({});
    }
    // A text ending with a line break ends with an empty line.
    if (!encoded.isEmpty() && (encoded.endsWith('\n') || encoded.endsWith('\r'))) {
        lines.append(QByteArray());
    }
    return lines;
}

std::optional<QByteArray> readFile(const QString& path) {
    // Only a regular file (or a link to one) is read: opening a FIFO would wait for a writer,
    // a device could be endless.
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

bool mayWrite(const QFileInfo& info) {
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

}  // namespace

namespace ini {

QString lookup(const QByteArray& file, const QString& section, const QString& key) {
    const QString wantedSection = storedName(section);
    const QString wantedKey = storedName(key);
    if (wantedKey.isEmpty()) {
        return {};
    }
    QString result;
    bool inSection = false;
    forEachLine(view(file), [&](Bytes raw) {
        const Line line = classify(raw);
        if (line.kind == LineKind::Section) {
            inSection = sameName(line.name, wantedSection);
        } else if (inSection && line.kind == LineKind::Entry && sameName(line.name, wantedKey)) {
            result = textOf(line.text);
            return false;
        }
        return true;
    });
    return result;
}

std::optional<QByteArray> withEntry(const QByteArray& file, const QString& section,
                                    const QString& key, const QString& text) {
    if (!storable(section, key)) {
        return std::nullopt;
    }
    const QString wantedSection = storedName(section);
    const QString wantedKey = storedName(key);
    const QList<Bytes> lines = splitLines(view(file));

    qsizetype found = -1;       // the entry a read finds
    qsizetype sectionEnd = -1;  // last non-blank line of the section's last part
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size() && found < 0; ++i) {
        const Line line = classify(lines[i]);
        if (line.kind == LineKind::Section) {
            inSection = sameName(line.name, wantedSection);
        } else if (inSection && line.kind == LineKind::Entry && sameName(line.name, wantedKey)) {
            found = i;
        }
        if (inSection && line.kind != LineKind::Blank) {
            sectionEnd = i;
        }
    }
    // A key found keeps its spelling.
    const Bytes foundKey = found >= 0 ? classify(lines[found]).name : Bytes();
    const QList<QByteArray> entry =
        entryLines(found >= 0 ? QByteArray(foundKey.data(), qsizetype(foundKey.size()))
                              : cp1251::encode(trimmedName(key)),
                   text);
    if (found >= 0 && entry.size() == 1 && view(entry[0]) == lines[found]) {
        return file;
    }

    QByteArray out;
    out.reserve(file.size() + 64);
    auto put = [&out](Bytes line) {
        out.append(line.data(), qsizetype(line.size()));
        out.append("\r\n");
    };
    auto putEntry = [&] {
        for (const QByteArray& line : entry) {
            put(view(line));
        }
    };
    const qsizetype insertAfter = found >= 0 ? -1 : sectionEnd;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == found) {
            putEntry();
            continue;
        }
        put(lines[i]);
        if (i == insertAfter) {
            putEntry();
        }
    }
    if (found < 0 && sectionEnd < 0) {
        put(view('[' + cp1251::encode(trimmedName(section)) + ']'));
        putEntry();
    }
    return out;
}

}  // namespace ini

bool IniFile::exists() const {
    return QFileInfo(path_).isFile();
}

QString IniFile::readString(const QString& section, const QString& key) const {
    const std::optional<QByteArray> bytes = readFile(path_);
    return bytes ? ini::lookup(*bytes, section, key) : QString();
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& text) {
    const QFileInfo info(path_);
    const bool present = info.exists();
    QByteArray old;
    if (present) {
        if (!info.isFile()) {
            return false;
        }
        std::optional<QByteArray> bytes = readFile(path_);
        if (!bytes) {
            return false;  // never replace what could not be read
        }
        old = std::move(*bytes);
    }
    const std::optional<QByteArray> updated = ini::withEntry(old, section, key, text);
    if (!updated) {
        return false;
    }
    if (present && *updated == old) {
        return true;
    }
    if (present && !mayWrite(info)) {
        return false;
    }
    try {
        saveWholeFile(path_, *updated);
    } catch (const Error&) {
        return false;
    }
    return true;
}

}  // namespace kv
