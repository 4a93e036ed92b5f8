#include "language/storedtexts.h"

#include <algorithm>
#include <optional>

#include "platform/codepage1251.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "store/programtables.h"
#include "store/tasktable.h"

namespace kv {

StoredTexts storedTexts(const MainWindowTexts& texts) {
    return {texts.text(Form1Text::cf1), texts.text(Form1Text::cf2), texts.text(Form1Text::cf3),
            texts.text(Form1Text::cf4)};
}

namespace {

constexpr Form1Text kStoredKeys[] = {Form1Text::cf1, Form1Text::cf2, Form1Text::cf3,
                                     Form1Text::cf4};

constexpr QString StoredTexts::*kMembers[] = {&StoredTexts::cf1, &StoredTexts::cf2,
                                              &StoredTexts::cf3, &StoredTexts::cf4};

// The fields that hold text i: the configuration names, or the next-run texts.
int widthOf(int i) {
    if (i < 2) {
        return std::min(ArchiverField::Name.width(), TaskField::NameArhSys.width());
    }
    return TaskField::SledTimeStr.width();
}

// Why text i cannot be stored as it is, apart from the names the configurations already have.
std::optional<RefusedText::Why> unstorable(const QString& text, int i) {
    if (!cp1251::canEncode(text)) {
        return RefusedText::Why::CodePage;
    }
    if (text.size() > widthOf(i)) {
        return RefusedText::Why::TooLong;
    }
    return std::nullopt;
}

// The texts of `to` that may be written; the others are refused and keep `from`. `names` are
// the configurations' names.
StoredTextsRewrite storable(const StoredTexts& from, const StoredTexts& to,
                            const QStringList& names) {
    StoredTextsRewrite out{to, {}};
    for (int i = 0; i < 4; ++i) {
        QString& text = out.written.*kMembers[i];
        const QString& old = from.*kMembers[i];
        if (text == old) {
            continue;
        }
        std::optional<RefusedText::Why> why = unstorable(text, i);
        if (!why && i < 2) {
            // A configuration named `text` is not one that this change renames (they are named
            // `old`); the first name, as written, counts as taken for the second.
            if (names.contains(text) || (i == 1 && text == out.written.cf1)) {
                why = RefusedText::Why::NameTaken;
            }
        }
        if (why) {
            out.refused.append({text, old, *why, widthOf(i)});
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
        replace(archivers, ArchiverField::Name, from.cf1, to.cf1);
        replace(archivers, ArchiverField::Name, from.cf2, to.cf2);
    });

    try {
        ControlsDisabled suspended(tasks);
        const QString current = currentTaskName(tasks);
        changeEveryRow(tasks, [&] {
            replace(tasks, TaskField::SledTimeStr, from.cf3, to.cf3);
            replace(tasks, TaskField::SledTimeStr, from.cf4, to.cf4);
            replace(tasks, TaskField::NameArhSys, from.cf1, to.cf1);
            replace(tasks, TaskField::NameArhSys, from.cf2, to.cf2);
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

void setStored(MainWindowTexts& texts, const StoredTexts& stored) {
    for (int i = 0; i < 4; ++i) {
        texts.set(kStoredKeys[i], stored.*kMembers[i]);
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
    for (int i = 0; i < 4; ++i) {
        const Form1Text key = kStoredKeys[i];
        const bool sameNames = key == Form1Text::cf2 &&
                               texts.text(key) == texts.text(Form1Text::cf1) &&
                               texts.text(key) != builtIn.text(key);
        if (unstorable(texts.text(key), i) || sameNames) {
            texts.set(key, builtIn.text(key));
        }
    }
}

}  // namespace kv
