#include "archiving/prune.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "archiving/runsinprogress.h"
#include "platform/clock.h"

namespace kv {
namespace {

int dateLength(int vidNameArh) {
    return vidNameArh == 1 ? 10 : vidNameArh == 2 ? 16 : 0;
}

// `count` decimal digits at `from`, or -1.
int digits(QStringView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

struct Folder {
    QString path;  // with its closing '/'
    QString base;  // the name of the archives up to their date part
};

Folder folderOf(const ArchiveName& name) {
    const qsizetype slash = name.stem.lastIndexOf(u'/');
    return {name.stem.left(slash + 1), name.stem.mid(slash + 1)};
}

bool isRegularFile(const QByteArray& folder, const dirent* entry) {
    if (entry->d_type == DT_REG) {
        return true;
    }
    if (entry->d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat st {};
    const QByteArray path = folder + entry->d_name;
    return ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::optional<QDateTime> datedArchiveMoment(const DatedArchives& archives, QStringView fileName) {
    const int length = dateLength(archives.vidNameArh);
    const QString base = folderOf(archives.name).base;
    const QString& ext = archives.name.extension;
    if (length == 0 || fileName.size() != base.size() + 1 + length + ext.size() ||
        !fileName.startsWith(base) || fileName[base.size()] != u' ' || !fileName.endsWith(ext)) {
        return std::nullopt;
    }
    const QStringView d = fileName.mid(base.size() + 1, length);
    if (d[2] != u'_' || d[5] != u'_' || (length == 16 && (d[10] != u' ' || d[13] != u'-'))) {
        return std::nullopt;
    }
    const QDate date(digits(d, 6, 4), digits(d, 3, 2), digits(d, 0, 2));
    if (!date.isValid()) {
        return std::nullopt;
    }
    if (length == 10) {
        return naiveDateTime(date.addDays(1), QTime(0, 0));
    }
    const QTime time(digits(d, 11, 2), digits(d, 14, 2));
    if (!time.isValid()) {
        return std::nullopt;
    }
    return naiveDateTime(date, time);
}

QStringList archivesToPrune(const DatedArchives& archives, const QString& written,
                            const QDateTime& now) {
    const Retention& keep = archives.retention;
    if (keep.keepsAll() || dateLength(archives.vidNameArh) == 0) {
        return {};
    }
    const Folder folder = folderOf(archives.name);
    const QByteArray nativeFolder = QFile::encodeName(folder.path);
    const QByteArray prefix = folder.base.toUtf8() + ' ';
    DIR* dir = ::opendir(nativeFolder.isEmpty() ? "." : nativeFolder.constData());
    if (!dir) {
        return {};
    }
    // The dated archives but the one just written, newest first.
    std::vector<std::pair<QDateTime, QString>> found;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.constData(), size_t(prefix.size())) != 0 ||
            !isRegularFile(nativeFolder, entry)) {
            continue;
        }
        const QString path = folder.path + QFile::decodeName(entry->d_name);
        if (path == written) {
            continue;
        }
        if (const auto moment =
                datedArchiveMoment(archives, QStringView(path).mid(folder.path.size()))) {
            found.emplace_back(*moment, path);
        }
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });

    QStringList out;
    const QDateTime cutoff = now.addDays(-keep.days);
    for (std::size_t i = 0; i < found.size(); ++i) {
        const bool beyond = keep.rule == KeepRule::Newest
                                ? i + 1 >= std::size_t(keep.count)  // `written` is one of them
                                : found[i].first <= cutoff;
        if (beyond) {
            out << found[i].second;
        }
    }
    return out;
}

QList<PruneLogEntry> pruneArchives(const DatedArchives& archives, const QString& taskName,
                                   const QString& written, const QDateTime& now) {
    QList<PruneLogEntry> log;
    for (const QString& path : archivesToPrune(archives, written, now)) {
        if (archivePathInUse(path)) {
            continue;
        }
        PruneLogEntry entry{now, taskName, path, {}};
        if (::unlink(QFile::encodeName(path).constData()) != 0) {
            entry.error = QString::fromLocal8Bit(std::strerror(errno));
        }
        log << entry;
    }
    return log;
}

}  // namespace kv
