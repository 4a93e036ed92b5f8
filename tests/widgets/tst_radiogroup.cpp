#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "widgets/radiogroup.h"

class TestRadioGroup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void indexItemsAndSignals();
};

void TestRadioGroup::indexItemsAndSignals() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* group = new kv::RadioGroup(&window);
    auto* outside = new QLineEdit(&window);
    layout->addWidget(group);
    layout->addWidget(outside);
    group->setItems({"Пн", "Вт", "Ср"});
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy activated(group, &kv::RadioGroup::activated);
    QSignalSpy exited(group, &kv::RadioGroup::exited);
    const auto buttons = group->findChildren<QRadioButton*>();

    QCOMPARE(group->itemIndex(), -1);
    group->setItemIndex(2);
    group->setItemIndex(-1);  // none selected again, and no button stays checked
    QCOMPARE(group->itemIndex(), -1);
    for (const QRadioButton* b : buttons) {
        QVERIFY(!b->isChecked());
    }
    QCOMPARE(activated.count(), 0);  // only the user's choices are signalled

    const QPoint indicator(4, buttons[1]->height() / 2);
    QTest::mouseClick(buttons[1], Qt::LeftButton, {}, indicator);
    QTest::mouseClick(buttons[1], Qt::LeftButton, {}, indicator);  // the same item: no change
    QCOMPARE(group->itemIndex(), 1);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.at(0).at(0).toInt(), 1);

    group->setItem(1, "Tue");  // in place: items and selection stay
    QCOMPARE(group->items(), QStringList({"Пн", "Tue", "Ср"}));
    QCOMPARE(group->itemIndex(), 1);

    buttons[0]->setFocus(Qt::TabFocusReason);  // within the group: no exit
    outside->setFocus(Qt::TabFocusReason);
    QCOMPARE(exited.count(), 1);
}

QTEST_MAIN(TestRadioGroup)
#include "tst_radiogroup.moc"
