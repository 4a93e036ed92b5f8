#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

#include "archiving/archiverconfig.h"
#include "archiving/form3texts.h"
#include "language/languageinuse.h"
#include "language/mainwindowtexts.h"
#include "store/checkmarks.h"

class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QPushButton;

namespace kv {

class DBGrid;
class LabeledEdit;
class OpenDialog;
class Table;
struct ProgramTables;

// The list of archiver configurations (archers.dbf): add, change, delete, the default mark for
// new tasks, the WinRAR and WinZip fills and help from registry.reg. Two states: the list state,
// a small window with the list and its buttons, and the edit state, the window grown by the edit
// panel below them.
//
// Made for each use and shown modally, on the program's tables. Creating it runs archiver
// discovery (named by the main window's texts) and leaves archers.dbf open; whoever made the
// window closes the table afterwards or goes on using it:
//     TForm3 form(tables, texts, language, this);  // texts: the main window's
//     form.exec();
//     tables.archivers.close();
class TForm3 : public QDialog {
    Q_OBJECT
public:
    // `language` is applied as the window is made.
    TForm3(ProgramTables& tables, const MainWindowTexts& mainTexts,
           const LanguageInUse& language = {}, QWidget* parent = nullptr);
    ~TForm3() override;

    // Controls, in creation order (the order in which a translation visits them).
    struct Controls {
        QLabel* Label1;             // explanation above the list
        DBGrid* cyDBGrid1;          // the list: tick, Name
        QPushButton* BitBtn1;       // add
        QPushButton* BitBtn6;       // change the current row
        QPushButton* BitBtn2;       // delete the current row
        QPushButton* BitBtn10;      // close (also Esc)
        LabeledEdit* LabeledEdit6;  // edit panel: Name
        LabeledEdit* LabeledEdit1;  //   NameAr
        QPushButton* BitBtn9;       //   browse for the archiver program
        LabeledEdit* LabeledEdit2;  //   Param1
        LabeledEdit* LabeledEdit3;  //   Keys1
        LabeledEdit* LabeledEdit5;  //   Param2
        LabeledEdit* LabeledEdit4;  //   Keys2
        QPushButton* BitBtn5;       //   fill for WinRAR
        QPushButton* BitBtn7;       //   fill for WinZip
        QPushButton* BitBtn3;       //   WinRAR's help
        QPushButton* BitBtn11;      //   WinZip's help
        QPushButton* BitBtn8;       //   save
        QPushButton* BitBtn4;       //   drop the entries
        OpenDialog* OpenDialog1;    // the file dialog of BitBtn9
    };
    Controls ui;

    const Form3Texts& texts() const { return texts_; }  // section Form3
    const CheckMarks& marks() const { return marks_; }  // the ticks of the list's first column
    bool editState() const { return editState_; }

    // Handlers. The first activation offers to add 7-Zip when the search path has it and no
    // configuration runs it (a list made before 7-Zip was installed).
    void FormActivate();
    void cyDBGrid1CellClick(int column, int row);
    void BitBtn1Click();
    void BitBtn6Click();
    void BitBtn2Click();
    void BitBtn5Click();
    void BitBtn7Click();
    void BitBtn3Click();
    void BitBtn11Click();
    void BitBtn9Click();
    void BitBtn8Click();
    void BitBtn4Click();
    void BitBtn10Click();
    void FormClose();

    void done(int result) override;

private:
    void createList();
    void createEditPanel();
    void connectHandlers();
    void FormCreate(const MainWindowTexts& mainTexts, const LanguageInUse& language);
    // Ticks from Flag, row by row.
    void marksFromFlags();
    // Shows the WinRAR and WinZip buttons whose keys registry.reg holds; a shown pair stays.
    void showArchiverButtons();
    void setEntries(const ArchiverEntries& entries);
    ArchiverEntries entries() const;
    // Fills the panel for an archiver whose shell command key is `key`.
    void fillForArchiver(const QString& key, int tip);
    void openArchiverHelp(const QString& key, const QString& helpFile);
    // Puts a path into the program path field, unless it is longer than the field.
    void putProgramPath(const QString& path);
    // Shows or hides the edit panel, growing or shrinking the window with it.
    void setEditState(bool edit);
    void arrange();
    void focusList();

    Table& archivers_;
    const MainWindowTexts& mainTexts_;  // names the configurations that discovery adds
    Form3Texts texts_ = form3Texts();
    CheckMarks marks_;
    // A save inserts a row (after BitBtn1) or changes the current one (after BitBtn6).
    bool newConfiguration_ = false;
    // The Tip a save writes: 0 after BitBtn1, the row's after BitBtn6, 1 or 2 after a fill.
    int configurationTip_ = kTipOther;
    QList<QWidget*> editPanel_;
    QHBoxLayout* listRow_ = nullptr;      // the list's buttons
    QVBoxLayout* editRows_ = nullptr;     // the edit panel
    QHBoxLayout* archiverRow_ = nullptr;  // the edit panel's buttons for WinRAR and WinZip
    QHBoxLayout* saveRow_ = nullptr;      // the edit panel's save buttons
    bool rarButtonsShown_ = false;
    bool zipButtonsShown_ = false;
    int editedRow_ = -1;  // the row BitBtn6 opened
    bool editState_ = false;
};

}  // namespace kv
