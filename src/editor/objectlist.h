#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include "editor/form2texts.h"
#include "store/table.h"

namespace kv {

// The task editor's working object list: the rows of tasksmt.dbf, one per file, folder, drive
// root or mask, each under the editor's working name.

// What was found at an object's path when it was added, stored in Size (in every language);
// otherwise Size holds the size in bytes of the (first) matching file, in decimal digits, the
// whole 64-bit size (nothing reads Size back).
inline const QString kSizeFolder = QStringLiteral("Папка");
inline const QString kSizeDrive = QStringLiteral("Диск");
inline const QString kSizeMissing = QStringLiteral("Нет файла");

// Why a path cannot go into the list. The tables hold paths in code page 1251 and at most 255
// characters, and the list file holds one path a line, from which the archiver drops blanks and
// tabs at either end; a path stored cut or garbled, or read back as another one, would make a
// backup that silently misses files.
enum class PathRefusal { None, NotRepresentable, TooLong, LineBreak, BlankAtEnd };
PathRefusal pathRefusal(const QString& path);
// The message that tells which path was refused and why.
QString pathRefusalText(const EditorTexts& texts, const QString& path, PathRefusal why);

// A path taken apart and looked up: the folder part (up to and including the last '/'), the
// rest, and what was found. The rest is looked up as a pattern in which * and ? are wildcards,
// hidden entries included; of several matches the first by name counts. A path ending in '/' is
// a drive root.
struct ObjectPath {
    QString folder;
    QString name;
    QString size;
};
ObjectPath classifyObjectPath(const QString& path);

// tasksmt.dbf with an index of its rows' Name, Path1 and Name1, so that adding a row does not
// walk the table. The index follows every change of the table that its signals tell, and is
// rebuilt from the table when one happened (or when the number of rows differs from what it
// knows).
class WorkingList final : public QObject {
    Q_OBJECT
public:
    explicit WorkingList(Table& working, QObject* parent = nullptr);

    Table& table() const { return table_; }

    // Whether a row with these Name, Path1 and Name1 (exact) exists.
    bool contains(const QString& name, const QString& folder, const QString& rest);
    // Appends a row and notes it in the index.
    void append(const QString& name, const ObjectPath& object);

private:
    void rebuild();

    Table& table_;
    QSet<QString> keys_;
    int indexedRows_ = -1;  // -1: the index must be rebuilt
    bool appending_ = false;
};

// Empties tasksmt.dbf and purges its file (opening it when it is closed); it stays open.
void ClearWorkingList(Table& working);

enum class AddResult { Added, AlreadyListed, Refused };
struct AddOutcome {
    AddResult result = AddResult::Added;
    PathRefusal refusal = PathRefusal::None;
};

// Looks `path` up on disk and adds it under `workingName` (AddObjectRow), unless it is refused.
AddOutcome AddObjectPath(WorkingList& list, const QString& workingName, const QString& path);

// Adds a row unless one with the same Name, Path1 and Name1 exists (exact). Path is the folder
// part followed by the rest; TipFile1 is 1 for a folder, else 2. Refuses a path that the table
// cannot hold (see PathRefusal) and adds nothing then.
AddOutcome AddObjectRow(WorkingList& list, const QString& workingName, const QString& folder,
                        const QString& rest, const QString& size);

// An object of a stored task that could not be taken into the working list.
struct RefusedObject {
    QString path;
    PathRefusal why;
};

// Fills the working list with the stored objects (tasksm.dbf rows whose Name is `taskName`,
// exact, in table order): ClearWorkingList, then AddObjectPath for each row's Path, so that
// each is classified afresh. Returns the objects that were refused.
QList<RefusedObject> LoadWorkingList(WorkingList& list, const Table& objects,
                                     const QString& taskName);

}  // namespace kv
