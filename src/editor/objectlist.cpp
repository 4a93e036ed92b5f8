#include "editor/objectlist.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <optional>

#include "platform/codepage1251.h"
#include "store/layouts.h"

namespace kv {
namespace {

const int kPathWidth = ObjectField::Path.width();
const int kNameWidth = ObjectField::Name.width();

// * stands for any run of characters, ? for exactly one; everything else only for itself.
bool wildcardMatch(QStringView pattern, QStringView name) {
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;  // the last * seen, and where in `name` its run would end
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

bool hasWildcard(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

// The entry `rest` names in `folder`, or the first by name that it matches as a pattern.
std::optional<QFileInfo> lookUp(const QString& folder, const QString& rest) {
    if (rest.isEmpty()) {
        return std::nullopt;
    }
    if (!hasWildcard(rest)) {
        QFileInfo info(folder + rest);
        return info.exists() ? std::optional(info) : std::nullopt;
    }
    QDirIterator it(folder.isEmpty() ? QStringLiteral(".") : folder,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    std::optional<QString> first;
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (wildcardMatch(rest, name) && (!first || name < *first)) {
            first = name;
        }
    }
    if (!first) {
        return std::nullopt;
    }
    return QFileInfo(folder + *first);
}

QString key(const QString& name, const QString& folder, const QString& rest) {
    // What the table keeps of the name; no part holds a NUL character.
    return name.left(kNameWidth) + QChar(0) + folder + QChar(0) + rest;
}

}  // namespace

PathRefusal pathRefusal(const QString& path) {
    if (path.contains(u'\n') || path.contains(u'\r')) {
        return PathRefusal::LineBreak;
    }
    if (!cp1251::canEncode(path) || path.contains(QChar(0))) {
        return PathRefusal::NotRepresentable;
    }
    if (path.size() > kPathWidth) {
        return PathRefusal::TooLong;
    }
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    if (!path.isEmpty() && (blank(path.front()) || blank(path.back()))) {
        return PathRefusal::BlankAtEnd;
    }
    return PathRefusal::None;
}

QString pathRefusalText(const EditorTexts& texts, const QString& path, PathRefusal why) {
    switch (why) {
        case PathRefusal::None:
            break;
        case PathRefusal::NotRepresentable:
            return texts.text(Form2Text::cm13).arg(path);
        case PathRefusal::TooLong:
            return texts.text(Form2Text::cm14).arg(path, QString::number(kPathWidth));
        case PathRefusal::LineBreak:
            return texts.text(Form2Text::cm15).arg(path);
        case PathRefusal::BlankAtEnd:
            return texts.text(Form2Text::cm21).arg(path);
    }
    return {};
}

ObjectPath classifyObjectPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    ObjectPath out{path.left(slash + 1), path.mid(slash + 1), {}};
    if (const std::optional<QFileInfo> found = lookUp(out.folder, out.name)) {
        out.size = found->isDir() ? kSizeFolder : QString::number(found->size());
    } else {
        out.size = path.endsWith(u'/') ? kSizeDrive : kSizeMissing;
    }
    return out;
}

// --- the working list -------------------------------------------------------------------------

WorkingList::WorkingList(Table& working, QObject* parent) : QObject(parent), table_(working) {
    // Rows that came, went or changed behind the index's back make it rebuild itself.
    connect(&table_, &Table::reset, this, [this] {
        if (!appending_) {
            indexedRows_ = -1;
        }
    });
    connect(&table_, &Table::rowChanged, this, [this] { indexedRows_ = -1; });
}

void WorkingList::rebuild() {
    keys_.clear();
    const int rows = table_.recordCount();
    if (rows > 0) {
        const auto name = table_.fieldIndex(ObjectField::Name);
        const auto folder = table_.fieldIndex(ObjectField::Path1);
        const auto rest = table_.fieldIndex(ObjectField::Name1);
        keys_.reserve(rows);
        for (int position = 0; position < rows; ++position) {
            keys_.insert(key(table_.peekString(position, name), table_.peekString(position, folder),
                             table_.peekString(position, rest)));
        }
    }
    indexedRows_ = rows;
}

bool WorkingList::contains(const QString& name, const QString& folder, const QString& rest) {
    if (indexedRows_ != table_.recordCount()) {
        rebuild();
    }
    return keys_.contains(key(name, folder, rest));
}

void WorkingList::append(const QString& name, const ObjectPath& object) {
    appending_ = true;
    try {
        table_.insert();
        table_.setString(ObjectField::Name, name);
        table_.setString(ObjectField::Path1, object.folder);
        table_.setString(ObjectField::Name1, object.name);
        table_.setString(ObjectField::Size, object.size);
        table_.setInt(ObjectField::TipFile1, object.size == kSizeFolder ? 1 : 2);
        table_.setString(ObjectField::Path, object.folder + object.name);
        table_.post();
    } catch (...) {
        appending_ = false;
        table_.cancel();
        indexedRows_ = -1;
        throw;
    }
    appending_ = false;
    if (indexedRows_ >= 0) {
        keys_.insert(key(name, object.folder, object.name));
        indexedRows_ = table_.recordCount();
    }
}

// --- operations -------------------------------------------------------------------------------

void ClearWorkingList(Table& working) {
    working.open();  // does nothing when it is open
    // Written as a new file without rows, so nothing of the old rows is left to purge.
    working.emptyTable();
}

namespace {

// Adds an object whose path has passed pathRefusal.
AddOutcome addUnlessListed(WorkingList& list, const QString& workingName,
                           const ObjectPath& object) {
    if (list.contains(workingName, object.folder, object.name)) {
        return {AddResult::AlreadyListed};
    }
    list.append(workingName, object);
    return {AddResult::Added};
}

}  // namespace

AddOutcome AddObjectRow(WorkingList& list, const QString& workingName, const QString& folder,
                        const QString& rest, const QString& size) {
    if (const PathRefusal why = pathRefusal(folder + rest); why != PathRefusal::None) {
        return {AddResult::Refused, why};
    }
    return addUnlessListed(list, workingName, {folder, rest, size});
}

AddOutcome AddObjectPath(WorkingList& list, const QString& workingName, const QString& path) {
    if (const PathRefusal why = pathRefusal(path); why != PathRefusal::None) {
        return {AddResult::Refused, why};
    }
    return addUnlessListed(list, workingName, classifyObjectPath(path));
}

QList<RefusedObject> LoadWorkingList(WorkingList& list, const Table& objects,
                                     const QString& taskName) {
    QStringList paths;
    const auto name = objects.fieldIndex(ObjectField::Name);
    const auto path = objects.fieldIndex(ObjectField::Path);
    for (int position = 0; position < objects.recordCount(); ++position) {
        if (objects.peekString(position, name) == taskName) {
            paths << objects.peekString(position, path);
        }
    }
    QList<RefusedObject> refused;
    ControlsDisabled quiet(list.table());  // one refresh of the views at the end
    ClearWorkingList(list.table());
    for (const QString& p : paths) {
        const AddOutcome outcome = AddObjectPath(list, taskName, p);
        if (outcome.result == AddResult::Refused) {
            refused.append({p, outcome.refusal});
        }
    }
    return refused;
}

}  // namespace kv
