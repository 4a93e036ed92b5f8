#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace kv {

// INI files of text: the dictionaries.
//
// Encoding: a file that begins with a UTF-8 byte-order mark, or whose bytes are valid UTF-8 and
// not all ASCII, is UTF-8; any other is code page 1251. A write keeps the file's encoding and
// its byte-order mark. A 1251 file that a written text would turn into valid UTF-8 (so that it
// would read as UTF-8 from then on) is written as UTF-8 as a whole instead, so that every text
// reads back as it was.
//
// Reading:
// - Lines end with CR LF, LF or a lone CR.
// - Leading blanks (space, tab) of a line are ignored. A line whose first character is ';' is a
//   comment. A line whose first character is '[' opens a section; its name runs to the last ']'
//   of the line (or to the line's end without one), blanks around it stripped. A line holding
//   '=' is an entry: the key is the part before the first '=', the text the part after it, each
//   without surrounding blanks. Other lines, and entries before the first section, are ignored.
// - Section and key names match without regard to letter case. A section that appears more than
//   once is read as one: its parts in file order. Of two entries with the same key in a section,
//   the first counts.
// - A text is cut at a NUL byte, stripped of leading and trailing blanks, then of one pair of
//   enclosing double or single quotes, and cut to kMaxTextLength characters. An empty text
//   reads the same as a missing entry.
//
// Writing sets one entry: it replaces the text of the entry that a read would find, or appends
// the key after the last non-blank line of the section's last part, or appends the section at
// the end of the file, creating the file. The text is written as it stands, blanks included;
// each line break in it starts a new line, so a later read returns its first line only. A
// continuation line that would read as a section or an entry is written behind ';', so that a
// text can never open a section or set a key. In a 1251 file, characters that 1251 lacks are
// written as '?', and names are matched as they are stored, so a key holding such a character
// finds its entry again. Every other line of the file keeps its bytes; every line ends as the
// file's first line does (CR LF in a new file or one without a line break).
//
// An IniFile reads its file once, at its first look-up, and keeps what it read for its life:
// make one for each pass over a dictionary. A write reads the file again, builds the whole new
// file beside the old one and renames it over it, and what is kept follows. A failure (a
// read-only file or folder, a full disk) leaves the old file as it was. A file that exists but
// cannot be read, or is larger than kMaxFileSize, is never replaced. A file whose permission
// bits allow no writing is not written, even by the superuser. Only a regular file is read;
// anything else at the path (a folder, a FIFO, a device) reads as no file and is never waited
// for.
class IniFile {
public:
    static constexpr int kMaxTextLength = 2047;
    // No dictionary comes near this; a larger file is refused rather than read on every start.
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    explicit IniFile(QString path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const QString& path() const { return path_; }
    // True when a regular file (not a folder) is at the path.
    bool exists() const;
    // True when the file is larger than kMaxFileSize: it then reads as empty and is not written.
    bool tooLarge() const;

    // The text of the entry, or the empty text when it is missing, empty, or the file cannot be
    // read.
    QString readString(const QString& section, const QString& key) const;

    // False when nothing could be written; the file is then unchanged. Also false for a name
    // that cannot be stored (an empty key; a key holding '=' or beginning with ';' or '['; a
    // name holding a line break).
    bool writeString(const QString& section, const QString& key, const QString& text);
    // True once a writeString() of this object has returned false.
    bool writeFailed() const { return writeFailed_; }

private:
    struct Contents;
    Contents& contents() const;
    // Writes the file with the entry set; its new bytes, or none when nothing could be written.
    std::optional<QByteArray> updatedFile(const QString& section, const QString& key,
                                          const QString& text) const;

    QString path_;
    mutable std::unique_ptr<Contents> contents_;
    bool writeFailed_ = false;
};

// The rules above on the bytes of a file.
namespace ini {

// True when the file is UTF-8 by the rule above.
bool readsAsUtf8(const QByteArray& file);

QString lookup(const QByteArray& file, const QString& section, const QString& key);

// The file with the entry set; the bytes themselves when nothing changes. No value for a name
// that cannot be stored.
std::optional<QByteArray> withEntry(const QByteArray& file, const QString& section,
                                    const QString& key, const QString& text);

}  // namespace ini

}  // namespace kv
