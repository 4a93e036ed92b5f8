#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace kv {

// One entry of an archive, as 7-Zip's technical listing (`l -slt`) describes it.
struct ArchiveEntry {
    QString path;  // as the archive keeps it: "/home/ann/docs/a.txt" (-spf), or relative
    bool folder = false;
    qint64 size = 0;
    QDateTime modified;         // local time; invalid when the archive keeps none
    bool wholeSeconds = false;  // the archive keeps the time to the second only
};

// The entries of 7-Zip's technical listing, in the order listed; nothing when the output holds
// no list of entries (7-Zip could not read the archive). Values are taken as written: a name
// may begin or end with blanks.
std::optional<QList<ArchiveEntry>> parseSevenZipListing(const QByteArray& output);

// What 7-Zip said about a failure, from the tail of its output: its lines from the first that
// reports an error on, else its last lines; blank lines left out.
QString sevenZipMessage(const QByteArray& outputTail);

// The entries as a tree of folders and files. Folders that a path passes through without an
// entry of their own are made up, so that every entry has its place; absolute paths hang below
// one root named "/". Each folder lists its folders first, then its files, each by name.
class ArchiveTree {
public:
    struct Node {
        QString name;  // one part of the path; "/" for the root of absolute paths
        QString path;  // the whole path as the archive writes it
        int parent = -1;
        QList<int> children;
        bool folder = true;
        qint64 size = 0;
        QDateTime modified;
        bool wholeSeconds = false;
    };

    explicit ArchiveTree(const QList<ArchiveEntry>& entries);

    int size() const { return int(nodes_.size()); }
    const Node& node(int index) const { return nodes_[index]; }
    const QList<int>& roots() const { return roots_; }
    int files() const { return files_; }
    int folders() const { return int(nodes_.size()) - files_; }

private:
    int child(int parent, const QString& name, const QString& path);

    QList<Node> nodes_;
    QList<int> roots_;
    int files_ = 0;
};

}  // namespace kv
