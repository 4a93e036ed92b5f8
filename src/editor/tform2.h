#pragma once

#include <QDialog>
#include <QHash>
#include <QPair>
#include <QStringList>
#include <optional>

#include "editor/form2texts.h"
#include "editor/objectlist.h"
#include "editor/retentionchoice.h"
#include "editor/taskfields.h"
#include "language/languageinuse.h"
#include "language/mainwindowtexts.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace kv {

class DBGrid;
class LabeledEdit;
class RadioGroup;
struct ProgramTables;

// The task editor: one backup task, new or stored, in its controls. It writes nothing into
// tasks.dbf until a save; the task's objects are edited meanwhile in the working list
// (tasksmt.dbf), which the grid shows and files dropped on the window fill. It keeps one changed
// mark, and asks on closing whether to save.
//
// Opened modally by the main window on its tables, either for a new task or for the task on
// which the cursor of tasks.dbf rests; it opens archers.dbf itself and closes it when it goes.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    // `mainTexts` names the configurations that archiver discovery adds.
    // `language` is applied as the window is made, and handed on to the windows it opens.
    TForm2(ProgramTables& tables, const MainWindowTexts& mainTexts, bool newTask,
           QString editedTaskName, LanguageInUse language = {}, QWidget* parent = nullptr);
    ~TForm2() override;  // closes archers.dbf

    // Whether the task is new, and the Name under which the task's objects are stored (empty
    // for a new task), as the main window handed them over; a save turns a new task into a
    // stored one under the name it was saved under.
    bool newTask() const { return newTask_; }
    const QString& editedTaskName() const { return editedTaskName_; }
    // The changed mark; only a successful save clears it.
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    bool saveSucceeded() const { return saveSucceeded_; }  // the outcome of the last save
    const EditorTexts& texts() const { return texts_; }

    // Controls, in creation order (the order in which a translation visits them).
    struct Controls {
        QCheckBox* CheckBox1;        // the task is enabled
        LabeledEdit* LEdit1;         // name
        LabeledEdit* LEdit4;         // description
        LabeledEdit* LEdit2;         // destination folder
        QPushButton* BitBtn1;        // folder dialog
        LabeledEdit* LEdit3;         // archive file name
        RadioGroup* RadioGroup1;     // how the archive name carries the date
        RadioGroup* RadioGroup5;     // which dated archives are kept (RetentionChoice):
        QSpinBox* SpinEdit3;         //   how many, or how many days
        QLabel* Label13;             //   archives or days
        QCheckBox* CheckBox3;        // keep a .BAK copy, captioned over three lines:
        QLabel* Label8;              //
        QLabel* Label9;              //
        RadioGroup* RadioGroup2;     // period
        RadioGroup* RadioGroup3;     // a missed run
        QLabel* Label1;              // hourly: at the minute
        QSpinBox* SpinEdit1;         //
        QLabel* Label2;              //
        QLabel* Label3;              // daily: at the time
        QTimeEdit* DateTimePicker1;  //
        QLabel* Label4;              //
        QLabel* Label12;             // weekly: on the weekday, at the time
        RadioGroup* RadioGroup4;     //
        QLabel* Label11;             //
        QTimeEdit* DateTimePicker3;  //
        QSpinBox* SpinEdit2;         // monthly: on the day, at the time
        QLabel* Label5;              //
        QTimeEdit* DateTimePicker2;  //
        QCheckBox* CheckBox2;        // monthly: the last day of shorter months
        QLabel* Label10;             // the archiver configuration
        QComboBox* ComboBox1;        //
        QPushButton* BitBtn4;        // the configuration list
        QCheckBox* CheckBox4;        // never shown: a task without archiver
        QPushButton* BitBtn3;        // save
        QPushButton* BitBtn2;        // close (Esc)
        QLabel* Label6;              // the object list: its title
        QLabel* Label7;              // how to add objects
        DBGrid* DBGrid1;             // the working list
        QPushButton* Button7;        // name or mask of the current object
        QPushButton* Button4;        // delete the current object
        QPushButton* Button5;        // clear the list
        QPushButton* Button9;        // open the current object's folder
        QPushButton* Button10;       // add files chosen in a dialog
        QPushButton* Button11;       // add a folder chosen in a dialog
        QMenu* PopupMenu1;           // the grid's pop-up menu:
        QAction* N2;                 //   = Button7
        QAction* N3;                 //   = Button4
        QAction* N5;                 //   = Button5
        QAction* N1;                 //   = Button9
        QAction* N6;                 //   = Button10
        QAction* N7;                 //   = Button11
    };
    Controls ui;

    // Handlers.
    void FormShow();
    void FormActivate();
    void Myread();
    void RadioGroup2Click();  // the period rule
    void SpinEdit2Change();   // the day rule
    void LEdit1Change();
    void LEdit4Change();
    void LEdit3Change();
    void SpinEdit1Change();
    void ComboBox1Change();
    void RadioGroup1Click();  // the retention choice is the dated names'
    void RadioGroup5Click();
    void SpinEdit3Change();
    void CheckBox4Click();
    // The changed tests that run when a control is left.
    void CheckBox1Exit();
    void CheckBox2Exit();
    void CheckBox3Exit();
    void CheckBox4Exit();
    void RadioGroup1Exit();
    void RadioGroup2Exit();
    void RadioGroup3Exit();
    void RadioGroup4Exit();
    void DateTimePicker1Exit();
    void DateTimePicker2Exit();
    void DateTimePicker3Exit();
    void LEdit2Exit();
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();
    // Closing (BitBtn2, Esc, the title bar): whether the window may close.
    bool FormClose();

    // The object list. What the dialogs of Button10 and Button11 choose is added as if it had
    // been dropped on the window.
    void dropFiles(const QStringList& paths);
    void Button10Click();
    void Button11Click();
    void Button4Click();
    void Button5Click();
    void Button7Click();
    void Button9Click();
    void DBGrid1MouseUp(Qt::MouseButton button, const QPoint& position);

    // Closing asks first; a window that may not close stays open.
    void reject() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createTaskControls();
    void createScheduleControls();
    void createConfigurationControls();
    void createObjectListControls();
    void arrange();
    void connectHandlers();
    // Runs `test` whenever the focus leaves `control` for another control of the window.
    void whenLeft(QWidget* control, void (TForm2::*test)());
    void FormCreate();

    // The configuration list: every configuration's name, then `position` chosen (-1 none).
    // Returns the names.
    QStringList fillConfigurations(int position);
    // Where the configuration list is shown; archiver discovery has run before.
    void showConfigurationList();

    // Takes the current row of tasks.dbf as what the controls are compared with.
    void rememberStoredRow();
    // The task as the controls show it.
    TaskFields controlFields() const;
    void markIf(bool differs);
    // The changed tests of the controls that are tested only when left, for a change that has
    // not been noticed yet.
    void noticeUnseenChanges();
    bool listHasRows() const;
    void focusList();

    ProgramTables& tables_;
    const MainWindowTexts& mainTexts_;
    bool newTask_;
    QString editedTaskName_;
    bool modified_ = false;
    bool saveSucceeded_ = false;
    EditorTexts texts_ = editorTexts();
    LanguageInUse language_;
    WorkingList* list_;
    // What the controls are compared with: the task's row as loaded or as last saved.
    TaskFields stored_;
    QString storedNameArhSys_;
    Retention storedRetention_;
    std::optional<RetentionChoice> keep_;
    // The objects watched for the focus leaving a control: the control and its test.
    QHash<QObject*, QPair<QWidget*, void (TForm2::*)()>> leaveTests_;
    bool opening_ = false;  // the window is being filled
};

}  // namespace kv
