#pragma once

#include <QString>
#include <QStringList>

namespace kv::test {

// The 7-Zip program of Debian's 7zip package, which the end-to-end tests run.
inline const QString k7zz = QStringLiteral("/usr/bin/7zz");

// The paths an archive holds (7zz l), sorted; empty while the archive cannot be read (not there
// yet, or still being written).
QStringList archiveEntries(const QString& archive);

// Makes `archive` of `paths` with 7-Zip: with their full paths and quickly, unless `switches`
// say otherwise. False when 7-Zip fails.
bool makeArchive(const QString& archive, const QStringList& paths,
                 const QStringList& switches = {QStringLiteral("-spf"), QStringLiteral("-mx1")});

// The archiver runs on its own: polls until the archive reads back as `expected`, for at most a
// minute, and returns what it read last. Events are processed meanwhile, so that the end of the
// run that puts the archive in place is noticed.
QStringList waitForArchive(const QString& archive, const QStringList& expected);

}  // namespace kv::test
