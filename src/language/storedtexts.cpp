#include "language/storedtexts.h"

#include <algorithm>
#include <optional>

#include "platform/codepage1251.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "store/programtables.h"
#include "store/tasktable.h"

namespace kv {

namespace {

// The stored texts in the order they are rewritten, and whether each is a configuration name.
struct StoredText {
    Form1Text key;
    QString StoredTexts::*member;
    bool configurationName;
};

constexpr StoredText kStored[] = {
    {Form1Text::cf1, &StoredTexts::cf1, true},  {Form1Text::cf2, &StoredTexts::cf2, true},
    {Form1Text::cf3, &StoredTexts::cf3, false}, {Form1Text::cf4, &StoredTexts::cf4, false},
    {Form1Text::cf5, &StoredTexts::cf5, true},  {Form1Text::cf6, &StoredTexts::cf6, true},
};

}  // namespace

StoredTexts storedTexts(const MainWindowTexts& texts) {
    StoredTexts out;
    for (const StoredText& stored : kStored) {
        out.*stored.member = texts.text(stored.key);
    }
    return out;
}

namespace {

// The width of the fields that hold `stored`: the configuration names, or the next-run texts.
int widthOf(const StoredText& stored) {
    if (stored.configurationName) {
        return std::min(ArchiverField::Name.width(), TaskField::NameArhSys.width());
    }
    return TaskField::SledTimeStr.width();
}

// Why `text` cannot be stored as it is, apart from the names the configurations already have.
std::optional<RefusedText::Why> unstorable(const QString& text, const StoredText& stored) {
    if (!cp1251::canEncode(text)) {
        return RefusedText::Why::CodePage;
    }
    if (text.size() > widthOf(stored)) {
        return RefusedText::Why::TooLong;
    }
    return std::nullopt;
}

// Whether `text` is the name of a configuration text that comes before `stored` in `texts`.
bool earlierName(const StoredTexts& texts, const StoredText& stored, const QString& text) {
    for (const StoredText& earlier : kStored) {
        if (earlier.key == stored.key) {
            return false;
        }
        if (earlier.configurationName && texts.*earlier.member == text) {
            return true;
        }
    }
    return false;
}

// The texts of `to` that may be written; the others are refused and keep `from`. `names` are
// the configurations' names.
StoredTextsRewrite storable(const StoredTexts& from, const StoredTexts& to,
                            const QStringList& names) {
    StoredTextsRewrite out{to, {}};
    for (const StoredText& stored : kStored) {
        QString& text = out.written.*stored.member;
        const QString& old = from.*stored.member;
        if (text == old) {
            continue;
        }
        std::optional<RefusedText::Why> why = unstorable(text, stored);
        // A configuration named `text` is not one that this change renames (they are named
        // `old`); an earlier name, as written, counts as taken.
        if (!why && stored.configurationName &&
            (names.contains(text) || earlierName(out.written, stored, text))) {
            why = RefusedText::Why::NameTaken;
        }
        if (why) {
            out.refused.append({text, old, *why, widthOf(stored)});
            text = old;
        }
    }
    return out;
}

// Sets `field` of the row being edited to `to` when it holds `from`. The pending value is
// compared, so a text that an earlier rule of the same row has set takes part.
void replace(Table& table, const Field<QString>& field, const QString& from, const QString& to) {
    if (table.asString(field) == from) {
        table.setString(field, to);
    }
}

// Edits every row with `change` in one batch: all rows are written, or none.
template <typename Change>
void changeEveryRow(Table& table, Change change) {
    Batch batch(table);
    try {
        for (table.first(); !table.eof(); table.next()) {
            table.edit();
            change();
            table.post();
        }
    } catch (...) {
        if (table.state() != Table::State::Browse) {
            table.cancel();
        }
        throw;
    }
    table.commitBatch();
}

QStringList configurationNames(Table& archivers) {
    QStringList names;
    for (archivers.first(); !archivers.eof(); archivers.next()) {
        names << archivers.asString(ArchiverField::Name);
    }
    return names;
}

}  // namespace

StoredTextsRewrite rewriteStoredTexts(ProgramTables& tables, const StoredTexts& from,
                                      const StoredTexts& wanted) {
    Table& archivers = tables.archivers;
    Table& tasks = tables.tasks;
    const bool archiversWereOpen = archivers.isOpen();
    archivers.open();
    struct CloseAfter {
        Table& table;
        bool keepOpen;
        ~CloseAfter() {
            if (!keepOpen) {
                table.close();
            }
        }
    } closeAfter{archivers, archiversWereOpen};

    const StoredTextsRewrite out = storable(from, wanted, configurationNames(archivers));
    const StoredTexts& to = out.written;
    const Table::SavedRows before = archivers.savedRows();
    changeEveryRow(archivers, [&] {
        for (const StoredText& stored : kStored) {
            if (stored.configurationName) {
                replace(archivers, ArchiverField::Name, from.*stored.member, to.*stored.member);
            }
        }
    });

    try {
        ControlsDisabled suspended(tasks);
        const QString current = currentTaskName(tasks);
        changeEveryRow(tasks, [&] {
            for (const StoredText& stored : kStored) {
                replace(tasks,
                        stored.configurationName ? TaskField::NameArhSys : TaskField::SledTimeStr,
                        from.*stored.member, to.*stored.member);
            }
        });
        rereadTasks(tasks, tables.marks, current);
    } catch (...) {
        try {
            archivers.restoreRows(before);
        } catch (...) {
            // The tasks' failure is the one to report.
        }
        throw;
    }
    return out;
}

namespace {

void setStored(MainWindowTexts& texts, const StoredTexts& values) {
    for (const StoredText& stored : kStored) {
        texts.set(stored.key, values.*stored.member);
    }
}

QString refusalLine(const MainWindowTexts& texts, const RefusedText& refused) {
    switch (refused.why) {
        case RefusedText::Why::CodePage:
            return texts.text(Form1Text::cm44).arg(refused.text, refused.kept);
        case RefusedText::Why::TooLong:
            return texts.text(Form1Text::cm45)
                .arg(refused.text, refused.kept, QString::number(refused.width));
        case RefusedText::Why::NameTaken:
            break;
    }
    return texts.text(Form1Text::cm46).arg(refused.text, refused.kept);
}

}  // namespace

void changeStoredTexts(ProgramTables& tables, const StoredTexts& from, MainWindowTexts& texts) {
    StoredTextsRewrite rewrite;
    try {
        rewrite = rewriteStoredTexts(tables, from, storedTexts(texts));
    } catch (...) {
        setStored(texts, from);
        throw;
    }
    setStored(texts, rewrite.written);
    if (rewrite.refused.isEmpty()) {
        return;
    }
    QStringList lines{texts.text(Form1Text::cm42)};
    for (const RefusedText& refused : rewrite.refused) {
        lines << refusalLine(texts, refused);
    }
    messageBox(lines.join(u'\n'), platformText(PlatformText::ErrorCaption), MbButtons::Ok,
               MbIcon::Warning);
}

void keepStorableTexts(MainWindowTexts& texts) {
    const MainWindowTexts builtIn = mainWindowTexts();
    for (const StoredText& stored : kStored) {
        const QString& text = texts.text(stored.key);
        const bool sameNames = stored.configurationName &&
                               earlierName(storedTexts(texts), stored, text) &&
                               text != builtIn.text(stored.key);
        if (unstorable(text, stored) || sameNames) {
            texts.set(stored.key, builtIn.text(stored.key));
        }
    }
}

}  // namespace kv
