#pragma once

#include <QDialog>

#include "archiving/form5texts.h"
#include "language/languageinuse.h"

class QListWidget;
class QPushButton;

namespace kv {

class Table;
struct ProgramTables;

// The restore dialog: the archives of the task on which the cursor of tasks.dbf rests, and the
// start of the task's extract command on the one the user picks, or the archive opened for
// browsing (TForm7) to restore what the user ticks. The list is made once, when the dialog is
// created. Made for each use and shown modally; it changes no row and no file.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    // `language` is applied as the window is made.
    explicit TForm5(ProgramTables& tables, const LanguageInUse& language = {},
                    QWidget* parent = nullptr);

    // Controls, in creation order.
    struct Controls {
        QListWidget* ListBox1;  // the entries found, by name, in the order the folder lists them
        QPushButton* BitBtn1;   // restore from the chosen entry
        QPushButton* BitBtn3;   // browse the chosen entry
        QPushButton* BitBtn2;   // close (also Esc)
    };
    Controls ui;

    const Form5Texts& texts() const { return texts_; }  // section Form5

    // Handlers.
    void BitBtn1Click();
    void ListBox1DblClick();
    void BitBtn3Click();
    void BitBtn2Click();

private:
    void FormCreate(const LanguageInUse& language);
    // The path of the entry chosen in the list; empty when none is.
    QString chosenArchive() const;

    Table& tasks_;
    Table& archivers_;
    LanguageInUse language_;
    Form5Texts texts_ = form5Texts();
};

}  // namespace kv
