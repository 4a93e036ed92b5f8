#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTest>

#include "language/translateform.h"
#include "platform/codepage1251.h"
#include "platform/inifile.h"
#include "platform/opendialog.h"
#include "store/layouts.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempprogramfolder.h"
#include "widgets/dbgrid.h"
#include "widgets/labelededit.h"
#include "widgets/radiogroup.h"

namespace {

template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// One control of every kind, one nested in a group box, and controls that keep their texts.
class Form9 : public QWidget {
public:
    Form9() {
        setObjectName("Form9");
        setWindowTitle("Окно");
        Label1 = named(new QLabel("Метка", this), "Label1");
        auto* box = named(new QGroupBox("Группа", this), "GroupBox1");
        named(new QLabel("Внутри", box), "Label2");
        new QLabel("без имени", this);
        BitBtn1 = named(new QPushButton(style()->standardIcon(QStyle::SP_FileIcon), "Кнопка", this),
                        "BitBtn1");
        BitBtn1->setToolTip("Подсказка");
        LEdit1 = named(new kv::LabeledEdit(this), "LEdit1");
        LEdit1->setCaption("Поле");
        LEdit1->setHint("Подсказка поля");
        named(new QLineEdit("текст", this), "Edit1");
        RadioGroup1 = named(new kv::RadioGroup(this), "RadioGroup1");
        RadioGroup1->setCaption("Выбор");
        RadioGroup1->setItems({"один", "два"});
        RadioGroup1->setItemIndex(1);
        named(new QCheckBox("Флажок", this), "CheckBox1");
        ComboBox1 = named(new QComboBox(this), "ComboBox1");
        ComboBox1->addItem("English");
        ComboBox1->setToolTip("Language");
        named(new QSpinBox(this), "SpinEdit1");
        auto* menu = named(new QMenu(this), "PopupMenu1");
        N1 = named(menu->addAction("Пункт"), "N1");
        OpenDialog1 = named(new kv::OpenDialog(this), "OpenDialog1");
        OpenDialog1->title = "Открыть";
        DBGrid1 = named(new kv::DBGrid(this), "DBGrid1");
        DBGrid1->bind(nullptr, nullptr,
                      {{"", "", 20},
                       {kv::TaskField::Name.name(), "Задача", 80},
                       {kv::TaskField::Opis.name(), "", 80}});
    }

    QLabel* Label1;
    QPushButton* BitBtn1;
    kv::LabeledEdit* LEdit1;
    kv::RadioGroup* RadioGroup1;
    QComboBox* ComboBox1;
    QAction* N1;
    kv::OpenDialog* OpenDialog1;
    kv::DBGrid* DBGrid1;
};

QByteArray lines(const QStringList& lines) {
    return kv::cp1251::encode(lines.join("\r\n") + "\r\n");
}

}  // namespace

class TestTranslateForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstPassWritesTheSectionInOrder();
    void translatesFromEntriesOfAnyCase();
    void dictionariesThatCannotBeUsed();
};

void TestTranslateForm::firstPassWritesTheSectionInOrder() {
    kv::test::TempProgramFolder dir;
    const QString path = dir.file("English.dic");
    dir.write("English.dic", {});
    Form9 form;
    kv::TranslateForm(&form, "Form9", path, true);

    // Every text once, the glyph button's too, though two rules read it.
    const QByteArray expected = lines({
        "[Form9]",
        "Form9--Caption=Окно",
        "Label1--Caption=Метка",
        "Label1--Hint=",
        "GroupBox1--Caption=Группа",
        "GroupBox1--Hint=",
        "Label2--Caption=Внутри",
        "Label2--Hint=",
        "BitBtn1--Caption=Кнопка",
        "BitBtn1--Hint=Подсказка",
        "LEdit1--Caption=Поле",
        "LEdit1--Hint=Подсказка поля",
        "Edit1--Hint=",
        "RadioGroup1--Caption=Выбор",
        "RadioGroup1--Hint=",
        "RadioGroup1--0=один",
        "RadioGroup1--1=два",
        "CheckBox1--Caption=Флажок",
        "CheckBox1--Hint=",
        "Menu-N1--Caption=Пункт",
        "Menu-N1--Hint=",
        "OpenDialog1--Title=Открыть",
        "DBGrid1--Hint=",
        "DBGrid1--Title-0=",
        "DBGrid1--Title-1=Задача",
        "DBGrid1--Title-2=Opis",
    });
    QCOMPARE(dir.read("English.dic"), expected);

    // A second pass finds every key and changes nothing.
    kv::TranslateForm(&form, "Form9", path, true);
    QCOMPARE(dir.read("English.dic"), expected);
}

void TestTranslateForm::translatesFromEntriesOfAnyCase() {
    kv::test::TempProgramFolder dir;
    const QString path = dir.file("English.dic");
    dir.write("English.dic", lines({
                                 "[FORM9]",
                                 "form9--caption=Window",
                                 "LABEL1--CAPTION=\"  Tag  \"",
                                 "BitBtn1--Caption=Button",
                                 "BitBtn1--Hint=",
                                 "RadioGroup1--1=two",
                                 "Menu-N1--Caption=Item",
                                 "OpenDialog1--Title=Open",
                                 "DBGrid1--Title-1=Task",
                                 "ComboBox1--Hint=Язык",
                             }));
    Form9 form;
    kv::TranslateForm(&form, "Form9", path, true);

    QCOMPARE(form.windowTitle(), QString("Window"));
    QCOMPARE(form.Label1->text(), QString("  Tag  "));
    QCOMPARE(form.BitBtn1->text(), QString("Button"));
    QCOMPARE(form.BitBtn1->toolTip(), QString("Подсказка"));
    QCOMPARE(form.RadioGroup1->items(), QStringList({"один", "two"}));
    QCOMPARE(form.RadioGroup1->itemIndex(), 1);
    QCOMPARE(form.N1->text(), QString("Item"));
    QCOMPARE(form.OpenDialog1->title, QString("Open"));
    QCOMPARE(form.DBGrid1->columnTitle(1), QString("Task"));
    QCOMPARE(form.ComboBox1->toolTip(), QString("Language"));

    // The empty entry now holds the text in use.
    QCOMPARE(kv::IniFile(path).readString("Form9", "BitBtn1--Hint"), QString("Подсказка"));
}

void TestTranslateForm::dictionariesThatCannotBeUsed() {
    kv::test::ScriptedMessageBoxes boxes;
    kv::test::TempProgramFolder dir;
    const QString path = dir.file("English.dic");
    Form9 form;
    kv::TranslateForm(&form, "Form9", path, true);
    QCOMPARE(boxes.texts(), QStringList{"No exists " + path});
    QCOMPARE(form.windowTitle(), QString("Окно"));
    QVERIFY(!QFile::exists(path));

    // A read-only dictionary: the first write-back fails, and the pass still applies every text
    // the dictionary holds; one box, however many keys are missing, until a write-back works.
    const QByteArray content =
        lines({"[Form9]", "Form9--Caption=", "BitBtn1--Caption=B", "CheckBox1--Caption=C"});
    dir.write("English.dic", content);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    boxes.shown.clear();
    kv::TranslateForm(&form, "Form9", path, true);
    kv::TranslateForm(&form, "Form9", path, true);
    QCOMPARE(boxes.texts(), QStringList{"Unable to write to " + path});
    QCOMPARE(form.BitBtn1->text(), QString("B"));
    QCOMPARE(form.findChild<QCheckBox*>("CheckBox1")->text(), QString("C"));
    QCOMPARE(dir.read("English.dic"), content);

    // Too large to be read: told, and nothing changes.
    const QByteArray huge = content + QByteArray(kv::IniFile::kMaxFileSize, ';');
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    dir.write("English.dic", huge);
    Form9 other;
    boxes.shown.clear();
    kv::TranslateForm(&other, "Form9", path, true);
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(boxes.texts().constFirst().contains(path));
    QCOMPARE(other.BitBtn1->text(), QString("Кнопка"));
    QCOMPARE(dir.read("English.dic"), huge);
}

QTEST_MAIN(TestTranslateForm)
#include "tst_translateform.moc"
