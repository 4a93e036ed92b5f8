#include "support/memoryfileio.h"

#include <QHash>
#include <QMap>
#include <algorithm>

namespace kv::test {

struct MemoryFileIo::Node {
    QByteArray data;
    quint64 id = 0;
    QHash<const void*, FileHandle::Lock> locks;  // holder -> kind
    bool immutable = false;
};

struct MemoryFileIo::State {
    QMap<QString, std::shared_ptr<Node>> files;
    quint64 nextId = 1;
    int generation = 0;

    int writes = 0;
    qint64 bytes = 0;
    int failAt = 0;
    int shortAt = 0;
    int crashAt = 0;
    qint64 crashBytes = -1;
    bool crashed = false;

    // Decides how much of a write of `size` bytes at `offset` happens. `size` 0 stands for the
    // calls that write no data (rename, remove, truncate, sync, create). Returns the number of
    // bytes to apply; `failed` tells that the call must report failure.
    qint64 admit(qint64 offset, qint64 size, bool& failed) {
        failed = false;
        if (crashed) {
            failed = true;
            return 0;
        }
        ++writes;
        if (crashAt == writes || (crashBytes >= 0 && bytes >= crashBytes)) {
            crashed = true;
            failed = true;
            return 0;
        }
        if (failAt == writes) {
            failed = true;
            return 0;
        }
        qint64 n = size;
        if (shortAt == writes && size > 0) {
            n = cut(offset, size - 1);
            failed = true;
        }
        if (crashBytes >= 0 && bytes + n > crashBytes) {
            n = cut(offset, crashBytes - bytes);
            crashed = true;
            failed = true;
        }
        bytes += n;
        return n;
    }

    // The longest prefix of at most `limit` bytes that ends on a page boundary of the file.
    static qint64 cut(qint64 offset, qint64 limit) {
        const qint64 end = (offset + limit) / kPageSize * kPageSize;
        return std::max<qint64>(0, end - offset);
    }
};

namespace {

const QString kNotPermitted = QStringLiteral("Operation not permitted");

bool isImmutable(const QMap<QString, std::shared_ptr<MemoryFileIo::Node>>& files,
                 const QString& path) {
    const auto it = files.constFind(path);
    return it != files.cend() && it.value()->immutable;
}

class MemoryHandle final : public FileHandle {
public:
    MemoryHandle(std::shared_ptr<MemoryFileIo::State> state,
                 std::shared_ptr<MemoryFileIo::Node> node, bool writable)
        : s_(std::move(state)),
          node_(std::move(node)),
          writable_(writable),
          generation_(s_->generation) {}
    ~MemoryHandle() override { node_->locks.remove(this); }

    qint64 read(qint64 offset, char* data, qint64 size) override {
        if (!alive()) {
            return -1;
        }
        const qint64 have = node_->data.size();
        if (offset < 0 || size < 0) {
            return failWith(QStringLiteral("Invalid argument"));
        }
        if (offset >= have) {
            return 0;
        }
        const qint64 n = std::min(size, have - offset);
        std::memcpy(data, node_->data.constData() + offset, size_t(n));
        return n;
    }

    qint64 write(qint64 offset, const char* data, qint64 size) override {
        if (!alive() || !checkWritable() || !checkMutable()) {
            return -1;
        }
        bool failed = false;
        const qint64 n = s_->admit(offset, size, failed);
        if (n > 0) {
            if (node_->data.size() < offset + n) {
                node_->data.resize(offset + n, '\0');
            }
            std::memcpy(node_->data.data() + offset, data, size_t(n));
        }
        if (failed) {
            error_ = QStringLiteral("Input/output error");
            return n > 0 ? n : -1;
        }
        return n;
    }

    qint64 size() override {
        if (!alive()) {
            return -1;
        }
        return node_->data.size();
    }

    bool truncate(qint64 size) override {
        if (!alive() || !checkWritable() || !checkMutable() || !admitted()) {
            return false;
        }
        node_->data.resize(size, '\0');
        return true;
    }

    bool sync() override { return alive() && admitted(); }

    bool lock(Lock kind) override {
        if (!alive()) {
            return false;
        }
        node_->locks.remove(this);  // like flock(): a conversion first drops the held lock
        if (kind == Lock::None) {
            return true;
        }
        for (auto it = node_->locks.cbegin(); it != node_->locks.cend(); ++it) {
            if (kind == Lock::Exclusive || it.value() == Lock::Exclusive) {
                error_ = QStringLiteral("Resource temporarily unavailable");
                return false;
            }
        }
        node_->locks.insert(this, kind);
        return true;
    }

    QByteArray identity() override {
        QByteArray out(8, '\0');
        std::memcpy(out.data(), &node_->id, 8);
        return out;
    }

    QString errorString() const override { return error_; }

private:
    bool alive() {
        if (generation_ != s_->generation) {
            error_ = QStringLiteral("Bad file descriptor");
            return false;
        }
        return true;
    }
    bool checkWritable() {
        if (!writable_) {
            error_ = QStringLiteral("Bad file descriptor");
        }
        return writable_;
    }
    bool checkMutable() {
        if (node_->immutable) {
            error_ = kNotPermitted;
        }
        return !node_->immutable;
    }
    bool admitted() {
        bool failed = false;
        s_->admit(0, 0, failed);
        if (failed) {
            error_ = QStringLiteral("Input/output error");
        }
        return !failed;
    }
    qint64 failWith(const QString& text) {
        error_ = text;
        return -1;
    }

    std::shared_ptr<MemoryFileIo::State> s_;
    std::shared_ptr<MemoryFileIo::Node> node_;
    bool writable_;
    int generation_;
    QString error_;
};

}  // namespace

MemoryFileIo::MemoryFileIo() : s_(std::make_shared<State>()) {}
MemoryFileIo::~MemoryFileIo() = default;

std::unique_ptr<FileHandle> MemoryFileIo::open(const QString& path, Mode mode, Links) {
    if (mode != Mode::ReadOnly && isImmutable(s_->files, path)) {
        error_ = kNotPermitted;
        return nullptr;
    }
    auto it = s_->files.find(path);
    if (mode == Mode::Create) {
        bool failed = false;
        s_->admit(0, 0, failed);
        if (failed) {
            error_ = QStringLiteral("Input/output error");
            return nullptr;
        }
        if (it == s_->files.end()) {
            auto node = std::make_shared<Node>();
            node->id = s_->nextId++;
            it = s_->files.insert(path, node);
        } else {
            it.value()->data.clear();
        }
    } else if (it == s_->files.end()) {
        error_ = QStringLiteral("No such file or directory");
        return nullptr;
    }
    return std::make_unique<MemoryHandle>(s_, it.value(), mode != Mode::ReadOnly);
}

bool MemoryFileIo::exists(const QString& path) {
    return s_->files.contains(path);
}

bool MemoryFileIo::rename(const QString& from, const QString& to) {
    if (isImmutable(s_->files, from) || isImmutable(s_->files, to)) {
        error_ = kNotPermitted;
        return false;
    }
    bool failed = false;
    s_->admit(0, 0, failed);
    if (failed) {
        error_ = QStringLiteral("Input/output error");
        return false;
    }
    auto it = s_->files.find(from);
    if (it == s_->files.end()) {
        error_ = QStringLiteral("No such file or directory");
        return false;
    }
    auto node = it.value();
    s_->files.erase(it);
    s_->files.insert(to, node);
    return true;
}

bool MemoryFileIo::remove(const QString& path) {
    if (!s_->files.contains(path)) {
        return true;
    }
    if (isImmutable(s_->files, path)) {
        error_ = kNotPermitted;
        return false;
    }
    bool failed = false;
    s_->admit(0, 0, failed);
    if (failed) {
        error_ = QStringLiteral("Input/output error");
        return false;
    }
    s_->files.remove(path);
    return true;
}

bool MemoryFileIo::syncFolderOf(const QString&) {
    bool failed = false;
    s_->admit(0, 0, failed);
    if (failed) {
        error_ = QStringLiteral("Input/output error");
    }
    return !failed;
}

QString MemoryFileIo::errorString() const {
    return error_;
}

void MemoryFileIo::setFile(const QString& path, const QByteArray& bytes) {
    auto it = s_->files.find(path);
    if (it == s_->files.end()) {
        auto node = std::make_shared<Node>();
        node->id = s_->nextId++;
        it = s_->files.insert(path, node);
    }
    it.value()->data = bytes;
}

std::shared_ptr<MemoryFileIo> MemoryFileIo::afterCrash() const {
    auto copy = std::make_shared<MemoryFileIo>();
    copy->s_->nextId = s_->nextId;
    for (auto it = s_->files.cbegin(); it != s_->files.cend(); ++it) {
        auto node = std::make_shared<Node>();
        node->data = it.value()->data;
        node->id = it.value()->id;
        copy->s_->files.insert(it.key(), node);
    }
    return copy;
}

QByteArray MemoryFileIo::file(const QString& path) const {
    auto it = s_->files.constFind(path);
    return it == s_->files.cend() ? QByteArray() : it.value()->data;
}

QStringList MemoryFileIo::files() const {
    return s_->files.keys();
}

void MemoryFileIo::setImmutable(const QString& path, bool immutable) {
    if (auto it = s_->files.find(path); it != s_->files.end()) {
        it.value()->immutable = immutable;
    }
}

void MemoryFileIo::failWrite(int n) {
    s_->failAt = s_->writes + n;
}
void MemoryFileIo::shortWrite(int n) {
    s_->shortAt = s_->writes + n;
}
void MemoryFileIo::crashAfterBytes(qint64 bytes) {
    s_->crashBytes = s_->bytes + bytes;
}
void MemoryFileIo::crashAtWrite(int n) {
    s_->crashAt = s_->writes + n;
}

void MemoryFileIo::resetFaults() {
    s_->writes = 0;
    s_->bytes = 0;
    s_->failAt = 0;
    s_->shortAt = 0;
    s_->crashAt = 0;
    s_->crashBytes = -1;
    s_->crashed = false;
}

bool MemoryFileIo::crashed() const {
    return s_->crashed;
}

void MemoryFileIo::restart() {
    resetFaults();
    ++s_->generation;
    for (auto& node : s_->files) {
        node->locks.clear();
    }
}

int MemoryFileIo::writeCount() const {
    return s_->writes;
}
qint64 MemoryFileIo::bytesWritten() const {
    return s_->bytes;
}

}  // namespace kv::test
