#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "widgets/labelededit.h"

class TestLabeledEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captionHintLengthAndExit();
};

void TestLabeledEdit::captionHintLengthAndExit() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new kv::LabeledEdit(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    edit->setCaption("Наименование задачи");
    edit->setHint("Имя");
    edit->setMaxLength(5);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy exited(edit, &kv::LabeledEdit::exited);

    QCOMPARE(edit->label()->text(), QString("Наименование задачи"));
    QCOMPARE(edit->edit()->toolTip(), QString("Имя"));
    QVERIFY(edit->label()->y() < edit->edit()->y());

    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit->edit(), "backups");
    QCOMPARE(edit->text(), QString("backu"));
    QCOMPARE(exited.count(), 0);
    other->setFocus(Qt::TabFocusReason);
    QCOMPARE(exited.count(), 1);
}

QTEST_MAIN(TestLabeledEdit)
#include "tst_labelededit.moc"
