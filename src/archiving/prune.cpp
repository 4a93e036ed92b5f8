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

// The names of the archives of one task, told apart from all others.
class Pattern {
public:
    explicit Pattern(const DatedArchives& archives)
        : base_(folderOf(archives.name).base),
          ext_(archives.name.extension),
          length_(dateLength(archives.vidNameArh)) {}

    bool dated() const { return length_ > 0; }

    // The moment a name stands for, in milliseconds of the naive clock; none for another name.
    std::optional<qint64> moment(QStringView fileName) const {
        if (length_ == 0 || fileName.size() != base_.size() + 1 + length_ + ext_.size() ||
            !fileName.startsWith(base_) || fileName[base_.size()] != u' ' ||
            !fileName.endsWith(ext_)) {
            return std::nullopt;
        }
        const QStringView d = fileName.mid(base_.size() + 1, length_);
        if (d[2] != u'_' || d[5] != u'_' || (length_ == 16 && (d[10] != u' ' || d[13] != u'-'))) {
            return std::nullopt;
        }
        const QDate date(digits(d, 6, 4), digits(d, 3, 2), digits(d, 0, 2));
        if (!date.isValid()) {
            return std::nullopt;
        }
        constexpr qint64 kDay = 24 * 60 * 60 * 1000;
        const qint64 day = date.toJulianDay() * kDay;
        if (length_ == 10) {
            return day + kDay;
        }
        const QTime time(digits(d, 11, 2), digits(d, 14, 2));
        if (!time.isValid()) {
            return std::nullopt;
        }
        return day + time.msecsSinceStartOfDay();
    }

    static qint64 momentOf(const QDateTime& t) {
        return t.date().toJulianDay() * 24 * 60 * 60 * 1000 + t.time().msecsSinceStartOfDay();
    }

private:
    QString base_;
    QString ext_;
    int length_;
};

}  // namespace

QStringList archivesToPrune(const DatedArchives& archives, const QString& written,
                            const QDateTime& now) {
    const Retention& keep = archives.retention;
    const Pattern pattern(archives);
    if (keep.keepsAll() || !pattern.dated()) {
        return {};
    }
    const Folder folder = folderOf(archives.name);
    const QByteArray nativeFolder = QFile::encodeName(folder.path);
    const QByteArray prefix = QFile::encodeName(folder.base) + ' ';
    DIR* dir = ::opendir(nativeFolder.isEmpty() ? "." : nativeFolder.constData());
    if (!dir) {
        return {};
    }
    // The dated archives but the one just written, newest first.
    const QString writtenName = written.mid(folder.path.size());
    std::vector<std::pair<qint64, QString>> found;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.constData(), size_t(prefix.size())) != 0 ||
            !isRegularFile(nativeFolder, entry)) {
            continue;
        }
        QString name = QFile::decodeName(entry->d_name);
        if (name == writtenName && written.startsWith(folder.path)) {
            continue;
        }
        if (const auto moment = pattern.moment(name)) {
            found.emplace_back(*moment, std::move(name));
        }
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });

    QStringList out;
    const qint64 cutoff = Pattern::momentOf(now.addDays(-keep.days));
    for (std::size_t i = 0; i < found.size(); ++i) {
        const bool beyond = keep.rule == KeepRule::Newest
                                ? i + 1 >= std::size_t(keep.count)  // `written` is one of them
                                : found[i].first <= cutoff;
        if (beyond) {
            out << folder.path + found[i].second;
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
