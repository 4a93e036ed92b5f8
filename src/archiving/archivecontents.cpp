#include "archiving/archivecontents.h"

#include <QHash>
#include <QStringList>
#include <algorithm>

namespace kv {
namespace {

// "2025-12-08 14:05:33.1234567", "2025-12-08 14:05:33" or nothing.
QDateTime parseModified(QByteArrayView text, bool* wholeSeconds) {
    const auto number = [&](qsizetype from, qsizetype size) {
        int n = 0;
        for (qsizetype i = from; i < from + size; ++i) {
            const char c = text[i];
            if (c < '0' || c > '9') {
                return -1;
            }
            n = n * 10 + (c - '0');
        }
        return n;
    };
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return {};
    }
    int ms = 0;
    *wholeSeconds = text.size() < 21 || text[19] != '.';
    if (!*wholeSeconds) {
        const qsizetype digits = std::min<qsizetype>(3, text.size() - 20);
        ms = number(20, digits);
        for (qsizetype i = digits; i < 3; ++i) {
            ms *= 10;
        }
    }
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2), std::max(ms, 0));
    if (!date.isValid() || !time.isValid()) {
        return {};
    }
    return QDateTime(date, time);
}

bool lessByKindAndName(const ArchiveTree::Node& a, const ArchiveTree::Node& b) {
    if (a.folder != b.folder) {
        return a.folder;
    }
    const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return byName != 0 ? byName < 0 : a.name < b.name;
}

}  // namespace

std::optional<QList<ArchiveEntry>> parseSevenZipListing(const QByteArray& output) {
    static constexpr QByteArrayView kSeparator = "----------";
    QList<ArchiveEntry> entries;
    ArchiveEntry entry;
    bool inEntry = false;
    bool listed = false;
    bool folderLine = false;
    const auto finish = [&] {
        if (inEntry) {
            entries.append(std::move(entry));
        }
        entry = ArchiveEntry();
        inEntry = false;
        folderLine = false;
    };
    qsizetype from = 0;
    while (from < output.size()) {
        qsizetype to = output.indexOf('\n', from);
        if (to < 0) {
            to = output.size();
        }
        const QByteArrayView line(output.constData() + from, to - from);
        from = to + 1;
        if (!listed) {
            listed = line == kSeparator;
            continue;
        }
        if (line.isEmpty()) {
            finish();
            continue;
        }
        const qsizetype equals = line.indexOf(" = ");
        if (equals < 0) {
            // A word of 7-Zip's own after the list ("Errors: 1" has no " = ").
            finish();
            continue;
        }
        const QByteArrayView key = line.first(equals);
        const QByteArrayView value = line.sliced(equals + 3);
        if (key == "Path") {
            finish();
            entry.path = QString::fromUtf8(value);
            inEntry = true;
        } else if (!inEntry) {
            continue;
        } else if (key == "Folder") {
            entry.folder = value == "+";
            folderLine = true;
        } else if (key == "Size") {
            entry.size = value.toLongLong();
        } else if (key == "Modified") {
            entry.modified = parseModified(value, &entry.wholeSeconds);
        } else if (key == "Attributes" && !folderLine) {
            // Windows attribute letters, then the Unix mode: "D drwxr-xr-x", "A -rw-r--r--".
            const qsizetype blank = value.indexOf(' ');
            entry.folder = (blank < 0 ? value : value.first(blank)).contains('D');
        }
    }
    finish();
    if (!listed) {
        return std::nullopt;
    }
    return entries;
}

QString sevenZipMessage(const QByteArray& outputTail) {
    QStringList lines = QString::fromUtf8(outputTail).split(u'\n');
    for (QString& line : lines) {
        line = line.trimmed();
    }
    lines.removeAll(QString());
    const auto error = std::find_if(lines.cbegin(), lines.cend(), [](const QString& line) {
        return line.contains(QLatin1String("ERROR"), Qt::CaseInsensitive);
    });
    constexpr qsizetype kLastLines = 6;
    const qsizetype first = error != lines.cend()
                                ? error - lines.cbegin()
                                : std::max<qsizetype>(0, lines.size() - kLastLines);
    return lines.mid(first).join(u'\n');
}

ArchiveTree::ArchiveTree(const QList<ArchiveEntry>& entries) {
    QHash<QString, int> byPath;
    byPath.reserve(entries.size() * 2);
    const auto place = [&](int parent, const QString& name, const QString& path) {
        const auto found = byPath.constFind(path);
        if (found != byPath.cend()) {
            return found.value();
        }
        const int index = child(parent, name, path);
        byPath.insert(path, index);
        return index;
    };
    for (const ArchiveEntry& e : entries) {
        const bool absolute = e.path.startsWith(u'/');
        int at = absolute ? place(-1, QStringLiteral("/"), QStringLiteral("/")) : -1;
        QString path = absolute ? QStringLiteral("/") : QString();
        for (const QStringView part : QStringView(e.path).split(u'/', Qt::SkipEmptyParts)) {
            if (!path.isEmpty() && !path.endsWith(u'/')) {
                path += u'/';
            }
            path += part;
            at = place(at, part.toString(), path);
        }
        if (at < 0) {
            continue;  // an empty path, or "/" alone
        }
        Node& n = nodes_[at];
        n.folder = e.folder;
        n.size = e.size;
        n.modified = e.modified;
        n.wholeSeconds = e.wholeSeconds;
    }
    for (Node& n : nodes_) {
        n.folder = n.folder || !n.children.isEmpty();
        files_ += n.folder ? 0 : 1;
    }
    const auto order = [this](QList<int>& list) {
        std::sort(list.begin(), list.end(),
                  [this](int a, int b) { return lessByKindAndName(nodes_[a], nodes_[b]); });
    };
    for (Node& n : nodes_) {
        order(n.children);
    }
    order(roots_);
}

int ArchiveTree::child(int parent, const QString& name, const QString& path) {
    const int index = int(nodes_.size());
    Node n;
    n.name = name;
    n.path = path;
    n.parent = parent;
    nodes_.append(std::move(n));
    (parent < 0 ? roots_ : nodes_[parent].children).append(index);
    return index;
}

}  // namespace kv
