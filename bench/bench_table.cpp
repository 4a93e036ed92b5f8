// Table engine benchmark: appends 100,000 rows and reads every field of every row back, with
// our engine and with shapelib on the same rows and the field types both have (text and
// logical), median of several runs. Also times the opening of a 1,000-row tasks.dbf.
//
//   bench_table [rows] [runs] [ours]     ("ours": our engine only, for profiling)

#include <shapefil.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "store/layouts.h"
#include "store/table.h"

using namespace kv;

namespace {

struct Source {
    std::vector<std::string> name, opis, path;  // for shapelib
    std::vector<QString> qname, qopis, qpath;   // the same texts for our engine
    std::vector<char> flag, bak;
};

Source makeRows(int rows) {
    Source s;
    for (int i = 0; i < rows; ++i) {
        const std::string n = "Task number " + std::to_string(i);
        const std::string o =
            "Daily backup of the documents folder, copy " + std::to_string(i % 97);
        const std::string p = "/home/user/Backups/" + std::string(size_t(20 + i % 150), 'x') + "/" +
                              std::to_string(i);
        s.name.push_back(n);
        s.opis.push_back(o);
        s.path.push_back(p);
        s.qname.push_back(QString::fromStdString(n));
        s.qopis.push_back(QString::fromStdString(o));
        s.qpath.push_back(QString::fromStdString(p));
        s.flag.push_back(i % 3 == 0 ? 'T' : 'F');
        s.bak.push_back(i % 5 == 0 ? 'T' : 'F');
    }
    return s;
}

const QList<FieldDef> kLayout =
    layoutOf(TaskField::Flag, TaskField::Name, TaskField::Opis, TaskField::Bak, TaskField::Path2);

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// --- our engine ---

double oursAppend(const QString& file, const Source& s) {
    QElapsedTimer t;
    t.start();
    Table::create(file, kLayout);
    Table table(file);
    table.open();
    for (size_t i = 0; i < s.name.size(); ++i) {
        table.insert();
        table.setBool(0, s.flag[i] == 'T');
        table.setString(1, s.qname[i]);
        table.setString(2, s.qopis[i]);
        table.setBool(3, s.bak[i] == 'T');
        table.setString(4, s.qpath[i]);
        table.post();
    }
    table.close();
    return ms(t);
}

double oursScan(const QString& file, qint64& check) {
    QElapsedTimer t;
    t.start();
    Table table(file);
    table.open();
    qint64 sum = 0;
    for (table.first(); !table.eof(); table.next()) {
        sum += table.asBool(0);
        sum += table.asString(1).size();
        sum += table.asString(2).size();
        sum += table.asBool(3);
        sum += table.asString(4).size();
    }
    table.close();
    check = sum;
    return ms(t);
}

// --- shapelib ---

double shpAppend(const QString& file, const Source& s) {
    QElapsedTimer t;
    t.start();
    DBFHandle h = DBFCreateEx(QFile::encodeName(file).constData(), "LDID/201");
    for (const FieldDef& f : kLayout) {
        const bool text = f.type == FieldType::String;
        DBFAddField(h, f.name.toLatin1().constData(), text ? FTString : FTLogical,
                    text ? f.width : 1, 0);
    }
    for (size_t i = 0; i < s.name.size(); ++i) {
        const int row = int(i);
        DBFWriteLogicalAttribute(h, row, 0, s.flag[i]);
        DBFWriteStringAttribute(h, row, 1, s.name[i].c_str());
        DBFWriteStringAttribute(h, row, 2, s.opis[i].c_str());
        DBFWriteLogicalAttribute(h, row, 3, s.bak[i]);
        DBFWriteStringAttribute(h, row, 4, s.path[i].c_str());
    }
    DBFClose(h);
    return ms(t);
}

double shpScan(const QString& file, qint64& check) {
    QElapsedTimer t;
    t.start();
    DBFHandle h = DBFOpen(QFile::encodeName(file).constData(), "rb");
    const int rows = DBFGetRecordCount(h);
    qint64 sum = 0;
    for (int row = 0; row < rows; ++row) {
        if (DBFIsRecordDeleted(h, row)) {
            continue;
        }
        sum += *DBFReadLogicalAttribute(h, row, 0) == 'T';
        sum += qint64(std::strlen(DBFReadStringAttribute(h, row, 1)));
        sum += qint64(std::strlen(DBFReadStringAttribute(h, row, 2)));
        sum += *DBFReadLogicalAttribute(h, row, 3) == 'T';
        sum += qint64(std::strlen(DBFReadStringAttribute(h, row, 4)));
    }
    DBFClose(h);
    check = sum;
    return ms(t);
}

// --- opening a tasks.dbf of 1,000 rows ---

double tasksOpen(const QString& file, int runs) {
    Table::create(file, tasksLayout());
    {
        Table t(file);
        t.open();
        for (int i = 0; i < 1000; ++i) {
            t.insert();
            for (int f = 0; f < t.fields().size(); ++f) {
                const FieldDef& d = t.fields()[f];
                switch (d.type) {
                    case FieldType::String:
                        t.setString(f, QString(d.width, QChar(u'a' + i % 26)));
                        break;
                    case FieldType::Integer:
                        t.setInt(f, i);
                        break;
                    case FieldType::Boolean:
                        t.setBool(f, i % 2);
                        break;
                    case FieldType::DateTime:
                        t.setDateTime(f, naiveDateTime(QDate(2025, 1, 1), QTime(1, 2, 3, 4)));
                        break;
                }
            }
            t.post();
        }
    }
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        Table t(file);
        t.open();
        times.push_back(ms(timer));
    }
    return median(times);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    const bool oursOnly = argc > 3 && std::strcmp(argv[3], "ours") == 0;
    QTemporaryDir dir;
    const QString ours = dir.filePath("ours.dbf");
    const QString theirs = dir.filePath("shapelib.dbf");
    const Source source = makeRows(rows);

    std::vector<double> oa, os, sa, ss;
    qint64 oursCheck = 0, shpCheck = 0;
    if (oursOnly) {
        for (int r = 0; r < runs; ++r) {
            oa.push_back(oursAppend(ours, source));
            os.push_back(oursScan(ours, oursCheck));
        }
        std::printf("append: ours %8.2f ms\nscan:   ours %8.2f ms\n", median(oa), median(os));
        return 0;
    }
    for (int r = 0; r < runs; ++r) {
        // Alternate the order so that neither always runs on a warmer machine.
        if (r % 2 == 0) {
            oa.push_back(oursAppend(ours, source));
            sa.push_back(shpAppend(theirs, source));
            os.push_back(oursScan(ours, oursCheck));
            ss.push_back(shpScan(theirs, shpCheck));
        } else {
            sa.push_back(shpAppend(theirs, source));
            oa.push_back(oursAppend(ours, source));
            ss.push_back(shpScan(theirs, shpCheck));
            os.push_back(oursScan(ours, oursCheck));
        }
        QFile::remove(ours);
        QFile::remove(theirs);
    }
    if (oursCheck != shpCheck) {
        std::fprintf(stderr, "the two scans read different data (%lld, %lld)\n",
                     static_cast<long long>(oursCheck), static_cast<long long>(shpCheck));
        return 1;
    }
    const double oA = median(oa), sA = median(sa), oS = median(os), sS = median(ss);
    std::printf("rows: %d (fields L, C30, C100, L, C255), median of %d runs\n", rows, runs);
    std::printf("append: ours %8.2f ms   shapelib %8.2f ms   ratio %.2f\n", oA, sA, oA / sA);
    std::printf("scan:   ours %8.2f ms   shapelib %8.2f ms   ratio %.2f\n", oS, sS, oS / sS);
    std::printf("open of a 1,000-row tasks.dbf: %.3f ms\n",
                tasksOpen(dir.filePath("tasks.dbf"), 51));
    return 0;
}
