#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace kv {

// Writes `bytes` as the whole file `path`, which appears or changes only once it is complete: a
// write that fails (a full disk, say) leaves the file that was there, or none. `extra` is added
// to the new file's mode. Raises Error (cp4, naming the file and why); the folder must exist.
void saveWholeFile(const QString& path, const QByteArray& bytes,
                   QFileDevice::Permissions extra = {});

}  // namespace kv
