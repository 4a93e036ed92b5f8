// Languages with full dictionaries, real files in a temporary program folder: switching the main
// window between two languages with 1,000 tasks whose stored texts all follow (the window
// translated, its captions and message texts read, archers.dbf and tasks.dbf rewritten), and
// translating each of the other windows as it opens (its controls and its message texts).
// Budgets: 500 ms a switch, 20 ms a window. Then the same switch with both dictionaries padded
// to 3.5 MiB of comment lines before their texts, so that every key sits at the end (budget
// 500 ms), and a switch to a dictionary of 48 MB, which is refused (budget 50 ms). Runs on any Qt
// platform (QT_QPA_PLATFORM=offscreen, or under xvfb-run).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/aboutbox.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "editor/tform2.h"
#include "editor/tform4.h"
#include "language/translateform.h"
#include "platform/inifile.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/programtables.h"

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double medianMs(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(times);
}

const QStringList kStored = {"cf1", "cf2", "cf3", "cf4"};

// Puts comment lines before the texts of the dictionary of `language` until it holds `size`
// bytes.
void pad(const QString& language, qint64 size) {
    QFile file(kv::inProgramFolder(language + ".dic"));
    file.open(QIODevice::ReadOnly);
    const QByteArray texts = file.readAll();
    file.close();
    const QByteArray line = "; " + QByteArray(76, '-') + "\r\n";
    QByteArray padding;
    padding.reserve(size);
    while (padding.size() + line.size() + texts.size() <= size) {
        padding += line;
    }
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(padding + texts);
}

// The dictionary of `language`, complete: the pass over every window with an empty file, then
// cf1 to cf4 of its own.
void makeDictionary(const QString& language) {
    const QString path = kv::inProgramFolder(language + ".dic");
    QFile(path).open(QIODevice::WriteOnly);
    kv::writeLanguageFile(language);
    {
        kv::ProgramTables tables;
        kv::TForm1 form(tables, {{}, "/opt/kelvotrin/kelvotrin"});
        const kv::LanguageInUse in = form.language();
        { kv::TForm2 editor(tables, form.texts(), true, {}, in); }
        { kv::TForm3 list(tables, form.texts(), in); }
        tables.archivers.close();
        const kv::EditorTexts texts = kv::editorTexts();
        { kv::TForm4 names(tables, texts, in); }
        { kv::TForm5 restore(tables, in); }
        kv::TAboutBox about(in);
    }
    kv::IniFile dictionary(path);
    for (const QString& key : kStored) {
        dictionary.writeString("Form1", key, language + " " + key);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    kv::setProgramFolder(dir.path());
    QDir::setCurrent(dir.path());
    for (const QString& file : {kv::kTasksFile, kv::kObjectsFile, kv::kWorkingObjectsFile}) {
        kv::Table::create(file, file == kv::kTasksFile ? kv::tasksLayout() : kv::objectsLayout());
    }
    kv::Table::create(kv::kArchiversFile, kv::archiversLayout());
    makeDictionary("English");
    makeDictionary("German");

    // Every task holds English texts that a switch rewrites.
    {
        kv::Table archivers(kv::kArchiversFile);
        archivers.open();
        for (const QString& key : {QString("cf1"), QString("cf2"), QString("mine")}) {
            archivers.insert();
            archivers.setString(kv::ArchiverField::Name, "English " + key);
            archivers.post();
        }
        kv::Table tasks(kv::kTasksFile);
        tasks.open();
        tasks.beginBatch();
        for (int i = 0; i < 1000; ++i) {
            tasks.insert();
            tasks.setString(kv::TaskField::Name, QString("Task %1").arg(i));
            tasks.setString(kv::TaskField::SledTimeStr, i % 2 ? "English cf3" : "English cf4");
            tasks.setString(kv::TaskField::NameArhSys, i % 2 ? "English cf1" : "English cf2");
            tasks.post();
        }
        tasks.commitBatch();
    }
    kv::writeLanguageFile("English");

    kv::ProgramTables tables;
    kv::TForm1 form(tables, {{}, "/opt/kelvotrin/kelvotrin"});
    tables.tasks.moveTo(500);
    int next = 0;
    const QStringList order = {"German", "English"};
    const auto switchOnce = [&] {
        form.ui.ComboBox1->setCurrentIndex(form.ui.ComboBox1->findText(order[next++ % 2]));
        form.ComboBox1Change();
    };
    const double switchMs = medianMs(10, switchOnce);
    std::printf("switch with 1000 tasks: %.1f ms (budget 500)\n", switchMs);
    // The switches did rewrite: every task holds the texts of the language last chosen.
    const QString last = order[(next - 1) % 2];
    int following = 0;
    for (int i = 0; i < tables.tasks.recordCount(); ++i) {
        following += tables.tasks.peekString(i, tables.tasks.fieldIndex(kv::TaskField::SledTimeStr))
                         .startsWith(last);
    }
    std::printf("tasks in %s after the last switch: %d of 1000\n", qPrintable(last), following);

    // The other windows, made without a language, then translated as their creation step does.
    const kv::LanguageInUse in = form.language();
    const auto report = [](const char* name, double ms) {
        std::printf("translate %-8s %.1f ms (budget 20)\n", name, ms);
    };
    {
        kv::TForm2 editor(tables, form.texts(), true, {});
        kv::EditorTexts texts = editor.texts();
        report("Form2", medianMs(10, [&] { kv::applyLanguage(&editor, texts, in); }));
    }
    {
        kv::TForm3 list(tables, form.texts());
        kv::Form3Texts texts = list.texts();
        report("Form3", medianMs(10, [&] { kv::applyLanguage(&list, texts, in); }));
    }
    tables.archivers.close();
    {
        const kv::EditorTexts texts = kv::editorTexts();
        kv::TForm4 names(tables, texts);
        report("Form4", medianMs(10, [&] { kv::translateWindow(&names, in); }));
    }
    {
        kv::TForm5 restore(tables);
        kv::Form5Texts texts = restore.texts();
        report("Form5", medianMs(10, [&] { kv::applyLanguage(&restore, texts, in); }));
    }
    {
        kv::TAboutBox about;
        kv::AboutTexts texts = about.texts();
        report("AboutBox", medianMs(10, [&] { kv::readMessageTable(texts, "AboutBox", in); }));
    }

    pad("English", 3584 * 1024);
    pad("German", 3584 * 1024);
    std::printf("switch with dictionaries of 3.5 MiB: %.1f ms (budget 500)\n",
                medianMs(4, switchOnce));
    pad("German", 48'000'000);
    next = 0;  // to German
    std::printf("switch to a dictionary of 48 MB: %.1f ms (budget 50)\n", medianMs(1, switchOnce));
    return 0;
}
