#include "platform/inifile.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <string_view>

#include "platform/codepage1251.h"
#include "platform/error.h"
#include "platform/regularfile.h"
#include "platform/savefile.h"

namespace kv {
namespace {

using Bytes = std::string_view;

constexpr Bytes kByteOrderMark = "\xEF\xBB\xBF";

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

Bytes view(const QByteArray& bytes) {
    return Bytes(bytes.constData(), size_t(bytes.size()));
}

// How a file's bytes are text: its encoding, its byte-order mark and its line break.
struct Form {
    bool utf8 = false;
    qsizetype markLength = 0;  // a UTF-8 byte-order mark at the start
    Bytes lineBreak = "\r\n";

    QString decode(Bytes s) const {
        return utf8 ? QString::fromUtf8(s.data(), qsizetype(s.size()))
                    : cp1251::decode(s.data(), qsizetype(s.size()));
    }
    QByteArray encode(const QString& text) const {
        return utf8 ? text.toUtf8() : cp1251::encode(text);
    }
};

Form formOf(Bytes file) {
    Form form;
    form.utf8 = cp1251::isUtf8Text(QByteArrayView(file.data(), qsizetype(file.size())));
    if (file.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        form.markLength = qsizetype(kByteOrderMark.size());
    }
    const size_t end = file.find_first_of("\r\n");
    if (end != Bytes::npos && file[end] == '\n') {
        form.lineBreak = "\n";
    } else if (end != Bytes::npos && (end + 1 == file.size() || file[end + 1] != '\n')) {
        form.lineBreak = "\r";
    }
    return form;
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

// A name as it is stored, without surrounding blanks, and as it is compared.
QString storedName(const QString& name, const Form& form) {
    return form.decode(view(form.encode(trimmedName(name))));
}
QString folded(const QString& name) {
    return name.toCaseFolded();
}
bool sameName(Bytes stored, const QString& wantedFolded, const Form& form) {
    return folded(form.decode(stored)) == wantedFolded;
}

QString textOf(Bytes raw, const Form& form) {
    Bytes s = raw.substr(0, raw.find('\0'));
    s = trimmed(s);
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
        s = s.substr(1, s.size() - 2);
    }
    if (!form.utf8) {
        s = s.substr(0, IniFile::kMaxTextLength);
    }
    return form.decode(s).left(IniFile::kMaxTextLength);
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
QList<QByteArray> entryLines(const QByteArray& key, const QString& text, const Form& form) {
    const QByteArray encoded = form.encode(text);
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

// The texts of a file by section and key, both folded; the first entry of a key counts.
using Index = QHash<QString, QHash<QString, QString>>;

Index indexOf(Bytes file, const Form& form) {
    Index index;
    QHash<QString, QString>* section = nullptr;
    forEachLine(file.substr(size_t(form.markLength)), [&](Bytes raw) {
        const Line line = classify(raw);
        if (line.kind == LineKind::Section) {
            section = &index[folded(form.decode(line.name))];
        } else if (section && line.kind == LineKind::Entry) {
            const QString key = folded(form.decode(line.name));
            if (!section->contains(key)) {
                section->insert(key, textOf(line.text, form));
            }
        }
        return true;
    });
    return index;
}

QString textIn(const Index& index, const Form& form, const QString& section, const QString& key) {
    const QString wantedKey = folded(storedName(key, form));
    if (wantedKey.isEmpty()) {
        return {};
    }
    const auto s = index.constFind(folded(storedName(section, form)));
    return s == index.constEnd() ? QString() : s->value(wantedKey);
}

// The file with the entry set, in the file's own form.
QByteArray withEntryIn(Bytes file, const Form& form, const QString& section, const QString& key,
                       const QString& text) {
    const QString wantedSection = folded(storedName(section, form));
    const QString wantedKey = folded(storedName(key, form));
    const Bytes mark = file.substr(0, size_t(form.markLength));
    const QList<Bytes> lines = splitLines(file.substr(mark.size()));

    qsizetype found = -1;       // the entry a read finds
    qsizetype sectionEnd = -1;  // last non-blank line of the section's last part
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size() && found < 0; ++i) {
        const Line line = classify(lines[i]);
        if (line.kind == LineKind::Section) {
            inSection = sameName(line.name, wantedSection, form);
        } else if (inSection && line.kind == LineKind::Entry &&
                   sameName(line.name, wantedKey, form)) {
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
                              : form.encode(trimmedName(key)),
                   text, form);
    if (found >= 0 && entry.size() == 1 && view(entry[0]) == lines[found]) {
        return QByteArray(file.data(), qsizetype(file.size()));
    }

    QByteArray out;
    out.reserve(qsizetype(file.size()) + 64);
    out.append(mark.data(), qsizetype(mark.size()));
    auto put = [&out, &form](Bytes line) {
        out.append(line.data(), qsizetype(line.size()));
        out.append(form.lineBreak.data(), qsizetype(form.lineBreak.size()));
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
        put(view('[' + form.encode(trimmedName(section)) + ']'));
        putEntry();
    }
    return out;
}

bool mayWrite(const QFileInfo& info) {
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

}  // namespace

namespace ini {

bool readsAsUtf8(const QByteArray& file) {
    return formOf(view(file)).utf8;
}

QString lookup(const QByteArray& file, const QString& section, const QString& key) {
    const Form form = formOf(view(file));
    return textIn(indexOf(view(file), form), form, section, key);
}

std::optional<QByteArray> withEntry(const QByteArray& file, const QString& section,
                                    const QString& key, const QString& text) {
    if (!storable(section, key)) {
        return std::nullopt;
    }
    const Form form = formOf(view(file));
    QByteArray out = withEntryIn(view(file), form, section, key, text);
    if (!form.utf8 && formOf(view(out)).utf8) {
        // The text's 1251 bytes would make the file read as UTF-8: it becomes UTF-8 as a whole.
        const QByteArray asUtf8 = cp1251::decode(file).toUtf8();
        Form utf8 = formOf(view(asUtf8));
        utf8.utf8 = true;
        out = withEntryIn(view(asUtf8), utf8, section, key, text);
    }
    return out;
}

}  // namespace ini

struct IniFile::Contents {
    FileRead::Status status = FileRead::Status::Missing;
    QByteArray bytes;
    // Made at the first look-up.
    bool indexed = false;
    Form form;
    Index index;

    QString lookUp(const QString& section, const QString& key) {
        if (status != FileRead::Status::Read) {
            return {};
        }
        if (!indexed) {
            form = formOf(view(bytes));
            index = indexOf(view(bytes), form);
            indexed = true;
        }
        return textIn(index, form, section, key);
    }
};

IniFile::IniFile(QString path) : path_(std::move(path)) {}
IniFile::~IniFile() = default;

IniFile::Contents& IniFile::contents() const {
    if (!contents_) {
        contents_ = std::make_unique<Contents>();
        FileRead read = readRegularFile(path_, kMaxFileSize);
        contents_->status = read.status;
        contents_->bytes = std::move(read.bytes);
    }
    return *contents_;
}

bool IniFile::exists() const {
    return QFileInfo(path_).isFile();
}

bool IniFile::tooLarge() const {
    return contents().status == FileRead::Status::TooLarge;
}

QString IniFile::readString(const QString& section, const QString& key) const {
    return contents().lookUp(section, key);
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& text) {
    const std::optional<QByteArray> updated = updatedFile(section, key, text);
    if (!updated) {
        writeFailed_ = true;
        return false;
    }
    // What is kept follows the file; an entry that was there already changes nothing.
    if (!contents_ || contents_->status != FileRead::Status::Read || contents_->bytes != *updated) {
        contents_ = std::make_unique<Contents>();
        contents_->status = FileRead::Status::Read;
        contents_->bytes = *updated;
    }
    return true;
}

std::optional<QByteArray> IniFile::updatedFile(const QString& section, const QString& key,
                                               const QString& text) const {
    const QFileInfo info(path_);
    const bool present = info.exists();
    QByteArray old;
    if (present) {
        if (!info.isFile()) {
            return std::nullopt;
        }
        FileRead read = readRegularFile(path_, kMaxFileSize);
        if (read.status != FileRead::Status::Read) {
            return std::nullopt;  // never replace what could not be read
        }
        old = std::move(read.bytes);
    }
    std::optional<QByteArray> updated = ini::withEntry(old, section, key, text);
    if (!updated || (present && *updated == old)) {
        return updated;
    }
    if (present && !mayWrite(info)) {
        return std::nullopt;
    }
    try {
        saveWholeFile(path_, *updated);
    } catch (const Error&) {
        return std::nullopt;
    }
    return updated;
}

}  // namespace kv
