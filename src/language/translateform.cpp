#include "language/translateform.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "language/dictionary.h"
#include "platform/inifile.h"
#include "platform/messagebox.h"
#include "platform/opendialog.h"
#include "widgets/dbgrid.h"
#include "widgets/labelededit.h"
#include "widgets/radiogroup.h"

namespace kv {
namespace {

class Translation {
public:
    Translation(const QString& section, IniFile& dictionary, bool writeBack)
        : section_(section), dictionary_(dictionary), writeBack_(writeBack) {}

    QString read(const QString& key, const QString& current) {
        return ReadDicText(key, section_, dictionary_, writeBack_, current);
    }

    // Caption and hint of a control: N--Caption, N--Hint.
    template <typename W, typename Get, typename Set>
    void captionAndHint(W* w, Get caption, Set setCaption) {
        const QString n = w->objectName();
        (w->*setCaption)(read(n + QLatin1String("--Caption"), (w->*caption)()));
        w->setToolTip(read(n + QLatin1String("--Hint"), w->toolTip()));
    }

private:
    const QString& section_;
    IniFile& dictionary_;
    bool writeBack_;
};

void translateComponent(QObject* o, Translation& t) {
    const QString n = o->objectName();
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->setText(t.read(QLatin1String("Menu-") + n + QLatin1String("--Caption"), a->text()));
        a->setStatusTip(
            t.read(QLatin1String("Menu-") + n + QLatin1String("--Hint"), a->statusTip()));
    }
    if (auto* b = qobject_cast<QPushButton*>(o)) {
        t.captionAndHint(b, &QPushButton::text, &QPushButton::setText);
        // The glyph-button rule: the same keys again. Not redundant on a first pass: it reads
        // back what the push-button rule has just written, as the dictionary holds it (blanks
        // around it stripped, its first line only), so the caption shown is the one every
        // later start shows.
        if (!b->icon().isNull()) {
            t.captionAndHint(b, &QPushButton::text, &QPushButton::setText);
        }
    }
    if (auto* b = qobject_cast<QToolButton*>(o)) {
        t.captionAndHint(b, &QToolButton::text, &QToolButton::setText);
    }
    if (auto* g = qobject_cast<QGroupBox*>(o)) {
        t.captionAndHint(g, &QGroupBox::title, &QGroupBox::setTitle);
    }
    if (auto* l = qobject_cast<QLabel*>(o)) {
        if (l->property(kLiveText).toBool()) {
            l->setToolTip(t.read(n + QLatin1String("--Hint"), l->toolTip()));
        } else {
            t.captionAndHint(l, &QLabel::text, &QLabel::setText);
        }
    }
    if (auto* e = qobject_cast<LabeledEdit*>(o)) {
        e->setCaption(t.read(n + QLatin1String("--Caption"), e->caption()));
        e->setHint(t.read(n + QLatin1String("--Hint"), e->hint()));
    }
    if (auto* e = qobject_cast<QLineEdit*>(o)) {
        e->setToolTip(t.read(n + QLatin1String("--Hint"), e->toolTip()));
    }
    if (auto* r = qobject_cast<RadioGroup*>(o)) {
        // Read as a group box already; read again for the reason given for glyph buttons.
        t.captionAndHint(r, &RadioGroup::caption, &RadioGroup::setCaption);
        for (int i = 0; i < r->count(); ++i) {
            r->setItem(i, t.read(n + QLatin1String("--") + QString::number(i), r->item(i)));
        }
    }
    if (auto* c = qobject_cast<QCheckBox*>(o)) {
        t.captionAndHint(c, &QCheckBox::text, &QCheckBox::setText);
    }
    if (auto* d = qobject_cast<OpenDialog*>(o)) {
        d->title = t.read(n + QLatin1String("--Title"), d->title);
    }
    if (auto* g = qobject_cast<DBGrid*>(o)) {
        g->setToolTip(t.read(n + QLatin1String("--Hint"), g->toolTip()));
        for (int i = 0; i < g->columnCount(); ++i) {
            // A column without a title of its own is known by its field.
            const DBGrid::Column& column = g->columns()[i];
            const QString current = column.title.isEmpty() ? column.field : column.title;
            g->setColumnTitle(i,
                              t.read(n + QLatin1String("--Title-") + QString::number(i), current));
        }
    }
}

// Controls whose inner parts are no components of the window.
bool isCompound(const QObject* o) {
    return qobject_cast<const RadioGroup*>(o) || qobject_cast<const LabeledEdit*>(o) ||
           qobject_cast<const QAbstractItemView*>(o) || qobject_cast<const QComboBox*>(o) ||
           qobject_cast<const QAbstractSpinBox*>(o) || qobject_cast<const QLineEdit*>(o);
}

// Another window (a dialog parented to this one) has a section of its own; a pop-up menu is
// part of this window.
bool isOtherWindow(const QObject* o) {
    const auto* w = qobject_cast<const QWidget*>(o);
    return w && w->isWindow() && !qobject_cast<const QMenu*>(w);
}

void walk(const QObject* parent, Translation& t) {
    const QObjectList children = parent->children();
    for (QObject* child : children) {
        if (isOtherWindow(child)) {
            continue;
        }
        // Qt's own inner objects carry names beginning with "qt_".
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) {
            translateComponent(child, t);
        }
        if (!isCompound(child)) {
            walk(child, t);
        }
    }
}

}  // namespace

void TranslateForm(QWidget* window, const QString& section, const QString& dictionaryPath,
                   bool writeBack) {
    IniFile dictionary(dictionaryPath);
    if (!dictionary.exists()) {
        messageBox(dictionaryTexts().text(DictionaryText::NoDictionary) + dictionaryPath);
        return;
    }
    if (dictionary.tooLarge()) {
        reportTooLarge(dictionary);
        return;
    }
    Translation t(section, dictionary, writeBack);
    window->setWindowTitle(
        t.read(window->objectName() + QLatin1String("--Caption"), window->windowTitle()));
    walk(window, t);
    reportWriteBackFailure(dictionary);
}

void translateWindow(QWidget* window, const LanguageInUse& language) {
    if (language.dictionariesPresent) {
        TranslateForm(window, window->objectName(), language.dictionaryPath(), true);
    }
}

}  // namespace kv
