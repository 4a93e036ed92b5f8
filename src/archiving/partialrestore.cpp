#include "archiving/partialrestore.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdlib>

#include "platform/error.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {
namespace {

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

bool programExists(const QString& program) {
    return QFileInfo(program.startsWith(u'/') ? program : inProgramFolder(program)).isFile();
}

// What 7-Zip trims from a list file's lines, or splits them at.
bool listable(const QString& name) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    return !name.isEmpty() && !blank(name.front()) && !blank(name.back()) &&
           !name.contains(u'\n') && !name.contains(u'\r');
}

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

class Planner {
public:
    Planner(const ArchiveTree& tree, const std::vector<bool>& chosen, const RestoreTarget& target)
        : tree_(tree), chosen_(chosen), target_(target), state_(size_t(tree.size())) {}

    RestorePlan plan() {
        for (const int root : tree_.roots()) {
            look(root, false);
        }
        for (const int root : tree_.roots()) {
            name(root, false);
        }
        return std::move(plan_);
    }

private:
    enum class State { NotChosen, Missing, Differs, Same, FolderThere };
    struct NodeState {
        State state = State::NotChosen;
        bool holdsSame = false;  // a chosen file below it is already in place
    };

    // Marks the chosen nodes below `index` with what their places hold.
    bool look(int index, bool chosenAbove) {
        const ArchiveTree::Node& n = tree_.node(index);
        const bool chosen = chosenAbove || chosen_[size_t(index)];
        NodeState& s = state_[size_t(index)];
        if (chosen) {
            if (!target_.toFolder && !n.path.startsWith(u'/')) {
                plan_.needsFolder = true;
            }
            s.state = compare(n);
            if (s.state == State::Differs) {
                plan_.differing << target_.placeOf(n.path);
            }
            if (!n.folder) {
                ++(s.state == State::Same ? plan_.unchanged : plan_.files);
            }
        }
        bool holdsSame = s.state == State::Same;
        for (const int c : n.children) {
            holdsSame = look(c, chosen) || holdsSame;
        }
        s.holdsSame = holdsSame;
        return holdsSame;
    }

    State compare(const ArchiveTree::Node& n) const {
        const QFileInfo there(target_.placeOf(n.path));
        if (!there.exists()) {
            return State::Missing;
        }
        if (n.folder || there.isDir()) {
            return n.folder && there.isDir() ? State::FolderThere : State::Differs;
        }
        if (there.size() != n.size || !n.modified.isValid()) {
            return State::Differs;
        }
        const qint64 apart =
            std::llabs(there.lastModified().toMSecsSinceEpoch() - n.modified.toMSecsSinceEpoch());
        return apart < (n.wholeSeconds ? 2000 : 1) ? State::Same : State::Differs;
    }

    // Names the chosen nodes below `index`: a folder whole when nothing below it is left out.
    void name(int index, bool chosenAbove) {
        const ArchiveTree::Node& n = tree_.node(index);
        const bool chosen = chosenAbove || chosen_[size_t(index)];
        const NodeState& s = state_[size_t(index)];
        if (chosen && !n.folder) {
            if (s.state != State::Same) {
                add(n.path);
            }
            return;
        }
        if (chosen && !s.holdsSame) {
            add(n.path);
            return;
        }
        for (const int c : n.children) {
            name(c, chosen);
        }
    }

    void add(const QString& path) {
        if (listable(path) || !path.contains(u'"')) {
            plan_.names << path;
        } else {
            plan_.unnameable << path;
        }
    }

    const ArchiveTree& tree_;
    const std::vector<bool>& chosen_;
    const RestoreTarget& target_;
    std::vector<NodeState> state_;
    RestorePlan plan_;
};

}  // namespace

bool isSevenZip(const QString& program) {
    const QString name = fileNameOf(program);
    return name == QLatin1String("7zz") || name == QLatin1String("7z") ||
           name == QLatin1String("7za");
}

QString browsingArchiver(Table& archivers, const QString& extractCommand) {
    QStringList candidates;
    const bool wasOpen = archivers.isOpen();
    try {
        if (!wasOpen) {
            archivers.open();
        }
        const auto sys = archivers.fieldIndex(ArchiverField::Sys);
        const auto program = archivers.fieldIndex(ArchiverField::NameAr);
        for (int i = 0; i < archivers.recordCount(); ++i) {
            const QString path = archivers.peekString(i, program);
            if (archivers.peekBool(i, sys) && isSevenZip(path)) {
                candidates << path;
            }
        }
    } catch (const Error&) {
        // A table that cannot be read names no 7-Zip; the task's own may still do.
    }
    if (!wasOpen && archivers.isOpen()) {
        archivers.close();
    }
    const QString own = splitCommandLine(extractCommand, programExists).program;
    if (isSevenZip(own)) {
        candidates << own;
    }
    for (const QString& c : candidates) {
        if (programExists(c)) {
            return c;
        }
    }
    return candidates.value(0);
}

std::optional<QString> listingCommandLine(const QString& program, const QString& archive) {
    if (program.contains(u'"') || archive.contains(u'"')) {
        return std::nullopt;
    }
    return quoted(program) + QStringLiteral(" l -slt -sccUTF-8 -p ") + quoted(archive);
}

QString RestoreTarget::placeOf(const QString& path) const {
    if (!toFolder) {
        return path;
    }
    qsizetype from = 0;
    while (from < path.size() && path[from] == u'/') {
        ++from;
    }
    return (folder.endsWith(u'/') ? folder : folder + u'/') + path.mid(from);
}

RestorePlan planRestore(const ArchiveTree& tree, const std::vector<bool>& chosen,
                        const RestoreTarget& target) {
    Q_ASSERT(chosen.size() == size_t(tree.size()));
    return Planner(tree, chosen, target).plan();
}

QByteArray restoreListFile(const RestorePlan& plan) {
    QByteArray bytes;
    for (const QString& name : plan.names) {
        if (listable(name)) {
            bytes += name.toUtf8() + "\r\n";
        }
    }
    return bytes;
}

std::optional<QString> extractCommandLine(const QString& program, const QString& archive,
                                          const RestorePlan& plan, const RestoreTarget& target,
                                          ExistingFiles existing, const QString& listFile) {
    if (program.contains(u'"') || archive.contains(u'"') || target.folder.contains(u'"') ||
        listFile.contains(u'"')) {
        return std::nullopt;
    }
    const QString where =
        target.toFolder ? quoted(QStringLiteral("-o") + target.folder) : QStringLiteral("-spf");
    const QString answer = existing == ExistingFiles::Overwrite ? QStringLiteral("-aoa")
                           : existing == ExistingFiles::Skip    ? QStringLiteral("-aos")
                                                                : QStringLiteral("-aot");
    QStringList parts = {quoted(program),
                         QStringLiteral("x"),
                         where,
                         answer,
                         QStringLiteral("-spd -scsUTF-8 -sccUTF-8 -p"),
                         quoted(archive)};
    if (std::any_of(plan.names.cbegin(), plan.names.cend(), listable)) {
        parts << quoted(u'@' + listFile);
    }
    // The rest as arguments, after the end of the switches: a name may begin with '-'.
    QStringList rest;
    for (const QString& name : plan.names) {
        if (!listable(name)) {
            rest << quoted(name);
        }
    }
    if (!rest.isEmpty()) {
        parts << QStringLiteral("--") << rest;
    }
    return parts.join(u' ');
}

}  // namespace kv
