#include "archiving/archiverprogress.h"

#include <memory>

namespace kv {
namespace {

// An update's percent stands within its first bytes ("100%" after a few blanks).
constexpr qsizetype kUpdateHead = 16;

bool endsUpdate(char c) {
    return c == '\b' || c == '\r' || c == '\n';
}

// The percent an update begins with, or -1.
int percentOf(const QByteArray& update) {
    qsizetype i = 0;
    while (i < update.size() && update[i] == ' ') {
        ++i;
    }
    int value = 0;
    qsizetype digits = 0;
    for (; i < update.size() && digits < 4 && update[i] >= '0' && update[i] <= '9'; ++i, ++digits) {
        value = value * 10 + (update[i] - '0');
    }
    const bool percent = digits > 0 && digits <= 3 && i < update.size() && update[i] == '%';
    return percent && value <= 100 ? value : -1;
}

}  // namespace

bool ArchiverProgress::feed(QByteArrayView piece) {
    const int before = percent_;
    for (const char c : piece) {
        if (endsUpdate(c)) {
            update_.clear();
            continue;
        }
        if (update_.size() >= kUpdateHead) {
            continue;
        }
        update_.append(c);
        // The percent counts as soon as its sign has come, not only when the update ends: 7-Zip
        // erases an update only as it writes the next one.
        if (c == '%') {
            const int p = percentOf(update_);
            if (p >= 0) {
                percent_ = p;
            }
        }
    }
    return percent_ != before;
}

ProgramOutputHandler followProgress(const RunClaim& claim) {
    auto progress = std::make_shared<ArchiverProgress>();
    return [progress, run = std::weak_ptr(claim)](QByteArrayView piece) {
        if (progress->feed(piece)) {
            if (const RunClaim held = run.lock()) {
                held->percent = progress->percent();
            }
        }
    };
}

}  // namespace kv
