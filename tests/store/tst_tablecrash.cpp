// Crash test of the stored data: a child process appends, edits, deletes, packs and empties real
// tables while the test kills it with SIGKILL at random instants. After each kill both tables
// must open, every row whose post() had returned must be there, and a row whose change was
// under way must hold its old or its new values, never a mix.
//
// The child is this same executable started with "--child <folder> <seed> <first id>". Before
// each operation it writes "? <table> <op> <id> <version>" to its standard output and after the
// operation returned "!" with the same fields, each line with one write() so that it reaches the
// pipe before the next operation starts.
//
// KV_CRASH_KILLS sets the number of kills (default 30, a few seconds).

#include <unistd.h>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>

#include "platform/clock.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/tempprogramfolder.h"

using namespace kv;

namespace {

constexpr int kMaxRows = 120;

// The field Name holds the row's id; tasks.dbf and tasksm.dbf both have it.
const Field<QString>& kIdField = TaskField::Name;

// The value that field `f` of row `id` holds at `version`.
QVariant valueFor(const FieldDef& field, int f, int id, int version) {
    const quint32 mix = quint32(version) * 2654435761u + quint32(f) * 40503u;
    switch (field.type) {
        case FieldType::String: {
            if (field.name == kIdField.name()) {
                return QStringLiteral("row %1").arg(id);
            }
            static const QString alphabet =
                QString::fromUtf8("абвгдеёжзийклмнопрстуфхцчшщъыьэюяABCXYZ0189 _-.");
            const int length = int(mix % quint32(field.width + 1));
            QString text(length, Qt::Uninitialized);
            for (int i = 0; i < length; ++i) {
                text[i] = alphabet[int((mix >> 7) + quint32(i) * 7u) % alphabet.size()];
            }
            if (length == field.width && text.endsWith(u' ')) {
                text[length - 1] = u'.';  // a full field's trailing blanks read as padding
            }
            return text;
        }
        case FieldType::Integer:
            return int(mix | 1u);
        case FieldType::Boolean:
            return ((mix >> 13) & 1u) != 0;
        case FieldType::DateTime:
            return naiveDateTime(QDate(2000, 1, 1).addDays(mix % 20000),
                                 QTime::fromMSecsSinceStartOfDay(int(mix % 86'400'000u)));
    }
    return {};
}

void fill(Table& t, int id, int version) {
    const QList<FieldDef>& fields = t.fields();
    for (int f = 0; f < fields.size(); ++f) {
        const QVariant v = valueFor(fields[f], f, id, version);
        switch (fields[f].type) {
            case FieldType::String:
                t.setString(f, v.toString());
                break;
            case FieldType::Integer:
                t.setInt(f, v.toInt());
                break;
            case FieldType::Boolean:
                t.setBool(f, v.toBool());
                break;
            case FieldType::DateTime:
                t.setDateTime(f, v.toDateTime());
                break;
        }
    }
}

bool rowMatches(Table& t, int pos, int id, int version) {
    const QList<FieldDef>& fields = t.fields();
    for (int f = 0; f < fields.size(); ++f) {
        const QVariant want = valueFor(fields[f], f, id, version);
        bool same = false;
        switch (fields[f].type) {
            case FieldType::String:
                same = t.peekString(pos, f) == want.toString();
                break;
            case FieldType::Integer:
                same = t.peekInt(pos, f) == want.toInt();
                break;
            case FieldType::Boolean:
                same = t.peekBool(pos, f) == want.toBool();
                break;
            case FieldType::DateTime:
                same = t.peekDateTime(pos, f) == want.toDateTime();
                break;
        }
        if (!same) {
            return false;
        }
    }
    return true;
}

int idOf(Table& t, int pos) {
    return t.peekString(pos, t.fieldIndex(kIdField)).mid(4).toInt();
}

// --- the child ---------------------------------------------------------------------------------

void say(char phase, char table, char op, int id, int version) {
    const QByteArray line = QStringLiteral("%1 %2 %3 %4 %5\n")
                                .arg(phase)
                                .arg(table)
                                .arg(op)
                                .arg(id)
                                .arg(version)
                                .toLatin1();
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, line.constData() + done, size_t(line.size() - done));
        if (n <= 0) {
            ::_exit(4);
        }
        done += n;
    }
}

int childMain(const QString& folder, quint32 seed, int firstId) {
    QDir::setCurrent(folder);
    try {
        Table tasks(kTasksFile);
        Table objects(kObjectsFile);
        tasks.open();
        objects.open();
        QRandomGenerator rng(seed);
        int counter = firstId;
        for (;;) {
            const bool onTasks = rng.bounded(2) == 0;
            Table& t = onTasks ? tasks : objects;
            const char tc = onTasks ? 't' : 'm';
            const int r = int(rng.bounded(1000));
            const int n = t.recordCount();
            if (n == 0 || (r < 420 && n < kMaxRows)) {
                const int id = counter++;
                say('?', tc, 'A', id, id);
                t.insert();
                fill(t, id, id);
                t.post();
                say('!', tc, 'A', id, id);
            } else if (r < 780) {
                t.moveTo(int(rng.bounded(n)));
                const int id = idOf(t, t.recNo());
                const int version = counter++;
                say('?', tc, 'E', id, version);
                t.edit();
                fill(t, id, version);
                t.post();
                say('!', tc, 'E', id, version);
            } else if (r < 985) {
                t.moveTo(int(rng.bounded(n)));
                const int id = idOf(t, t.recNo());
                say('?', tc, 'D', id, 0);
                t.deleteRecord();
                say('!', tc, 'D', id, 0);
            } else if (r < 996 || onTasks) {
                say('?', tc, 'P', 0, 0);
                t.pack();
                say('!', tc, 'P', 0, 0);
            } else {
                say('?', tc, 'Z', 0, 0);
                t.emptyTable();
                say('!', tc, 'Z', 0, 0);
            }
        }
    } catch (const StoreError& e) {
        fprintf(stderr, "child: %s\n", qPrintable(e.message()));
        return 3;
    }
}

// --- the parent ---------------------------------------------------------------------------------

struct Row {
    int id;
    int version;
    bool operator==(const Row&) const = default;
};
using Model = QList<Row>;

struct Op {
    char table = 0;
    char op = 0;
    int id = 0;
    int version = 0;
};

Model applied(Model m, const Op& op) {
    switch (op.op) {
        case 'A':
            m.append({op.id, op.version});
            break;
        case 'E':
            for (Row& r : m) {
                if (r.id == op.id) {
                    r.version = op.version;
                }
            }
            break;
        case 'D':
            m.removeIf([&](const Row& r) { return r.id == op.id; });
            break;
        case 'Z':
            m.clear();
            break;
        default:
            break;
    }
    return m;
}

bool tableMatches(Table& t, const Model& m) {
    if (t.recordCount() != m.size()) {
        return false;
    }
    for (int pos = 0; pos < m.size(); ++pos) {
        if (idOf(t, pos) != m[pos].id || !rowMatches(t, pos, m[pos].id, m[pos].version)) {
            return false;
        }
    }
    return true;
}

}  // namespace

class TestTableCrash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedChildLeavesCommittedRows() {
        const int kills = qEnvironmentVariableIntValue("KV_CRASH_KILLS") > 0
                              ? qEnvironmentVariableIntValue("KV_CRASH_KILLS")
                              : 30;
        test::TempProgramFolder folder;
        Table::create(kTasksFile, tasksLayout());
        Table::create(kObjectsFile, objectsLayout());
        QMap<char, Model> model{{'t', {}}, {'m', {}}};
        QMap<QByteArray, int> inFlightKinds;
        int acknowledged = 0;
        QRandomGenerator rng(20251208);

        for (int kill = 0; kill < kills; ++kill) {
            QProcess child;
            child.setProgram(QCoreApplication::applicationFilePath());
            child.setArguments({"--child", folder.path(), QString::number(rng.generate()),
                                QString::number(1 + kill * 100000)});
            child.setProcessChannelMode(QProcess::SeparateChannels);
            child.start();
            QVERIFY(child.waitForStarted());
            // Most kills fall among the operations, some into the start (opening the tables,
            // replaying a journal).
            QByteArray output;
            const bool duringStart = rng.bounded(5) == 0;
            if (!duringStart) {
                while (!output.contains('!') && child.state() == QProcess::Running) {
                    child.waitForReadyRead(1000);
                    output += child.readAllStandardOutput();
                }
            }
            const int delayUs = int(rng.bounded(duringStart ? 30000 : 20000));
            QElapsedTimer timer;
            timer.start();
            while (timer.nsecsElapsed() / 1000 < delayUs && child.state() == QProcess::Running) {
                const qint64 left = delayUs - timer.nsecsElapsed() / 1000;
                if (left > 2000) {
                    child.waitForReadyRead(int(left / 1000) - 1);
                    output += child.readAllStandardOutput();
                } else {
                    ::usleep(useconds_t(std::max<qint64>(left, 0)));
                }
            }
            QVERIFY2(child.state() == QProcess::Running, child.readAllStandardError().constData());
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(10000));
            output += child.readAllStandardOutput();

            // Committed operations move the model; the last one may be under way.
            Op pending;
            for (const QByteArray& line : output.split('\n')) {
                const QList<QByteArray> p = line.split(' ');
                if (p.size() != 5) {
                    continue;
                }
                const Op op{p[1][0], p[2][0], p[3].toInt(), p[4].toInt()};
                if (p[0] == "?") {
                    pending = op;
                } else {
                    model[op.table] = applied(model[op.table], op);
                    pending = Op();
                    ++acknowledged;
                }
            }
            if (pending.op) {
                ++inFlightKinds[QByteArray(1, pending.table) + pending.op];
            }

            for (char tc : {'t', 'm'}) {
                Table t(tc == 't' ? kTasksFile : kObjectsFile);
                try {
                    t.open();
                } catch (const StoreError& e) {
                    QFAIL(qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(e.message())));
                }
                const Model before = model[tc];
                if (tableMatches(t, before)) {
                    continue;
                }
                const Model after = pending.table == tc ? applied(before, pending) : before;
                if (!tableMatches(t, after)) {
                    QString dump;
                    for (int pos = 0; pos < t.recordCount(); ++pos) {
                        int v = -1;
                        for (const Row& r : before) {
                            if (r.id == idOf(t, pos)) {
                                v = rowMatches(t, pos, r.id, r.version) ? r.version : -2;
                            }
                        }
                        dump += QStringLiteral(" %1/%2").arg(idOf(t, pos)).arg(v);
                    }
                    dump += QStringLiteral(" | model");
                    for (const Row& r : before) {
                        dump += QStringLiteral(" %1/%2").arg(r.id).arg(r.version);
                    }
                    qWarning() << dump << output.right(400);
                }
                QVERIFY2(tableMatches(t, after),
                         qPrintable(QStringLiteral("kill %1: table %2 holds neither the "
                                                   "committed rows nor those of the operation "
                                                   "%3 under way")
                                        .arg(kill)
                                        .arg(tc)
                                        .arg(QChar(pending.op ? pending.op : '-'))));
                model[tc] = after;
            }
        }
        const QStringList leftovers =
            QDir(folder.path()).entryList(QDir::Files).filter(QRegularExpression("\\.(new|jnl)$"));
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(' ')));
        QString kinds;
        for (auto it = inFlightKinds.cbegin(); it != inFlightKinds.cend(); ++it) {
            kinds += QStringLiteral(" %1:%2").arg(QString::fromLatin1(it.key())).arg(it.value());
        }
        qInfo("%d kills, %d acknowledged operations; killed during (table, op):%s", kills,
              acknowledged, qPrintable(kinds));
    }
};

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        return childMain(QString::fromLocal8Bit(argv[2]), quint32(QByteArray(argv[3]).toULong()),
                         QByteArray(argv[4]).toInt());
    }
    QCoreApplication app(argc, argv);
    TestTableCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tablecrash.moc"
