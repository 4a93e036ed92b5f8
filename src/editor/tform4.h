#pragma once

#include <QDialog>

#include "editor/form2texts.h"
#include "language/languageinuse.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class Table;
struct ProgramTables;

// The name/mask dialog: the Path of the current working object, to be given another name or a
// mask. Only Path changes; the object keeps what was found when it was added until the task is
// opened again.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    // The object is the current row of the working list (tasksmt.dbf); `texts` are the
    // editor's. `language` is applied as the window is made.
    TForm4(ProgramTables& tables, const EditorTexts& texts, const LanguageInUse& language = {},
           QWidget* parent = nullptr);

    // Controls, in creation order: nine lines of help on masks, the path, save and close.
    struct Controls {
        QLabel* Label1;
        QLabel* Label2;
        QLabel* Label3;
        QLabel* Label4;
        QLabel* Label5;
        QLabel* Label6;
        QLabel* Label7;
        QLabel* Label8;
        QLabel* Label9;
        QLineEdit* Edit1;
        QPushButton* BitBtn1;
        QPushButton* BitBtn2;
    };
    Controls ui;

    void FormActivate();
    void BitBtn1Click();
    void BitBtn2Click();

private:
    Table& working_;
    const EditorTexts& texts_;
};

}  // namespace kv
