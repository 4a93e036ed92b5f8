#pragma once

#include <QDialog>
#include <QList>

#include "archiving/form6texts.h"
#include "archiving/runhistory.h"
#include "language/languageinuse.h"
#include "language/mainwindowtexts.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace kv {

// The run history: the runs of runs.log.1 and runs.log, newest first, with start, end, time
// taken, task, result, archive and size; the archiver's last output of a run that was not
// confirmed below the list while its row is selected. It shows one task's runs or every task's,
// and failures only on request. The logs are read once, as the window is made. Made for each
// use and shown modally; it changes nothing.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    // `mainTexts`: the main window's message texts, in which results are worded. `task`: the
    // task whose runs are shown at first; empty for every task. `language` is applied as the
    // window is made.
    explicit TForm6(const MainWindowTexts& mainTexts, const QString& task = {},
                    const LanguageInUse& language = {}, QWidget* parent = nullptr);
    ~TForm6() override;

    // Controls, in creation order.
    struct Controls {
        QLabel* Label1;         // caption of the task filter
        QComboBox* ComboBox1;   // every task, then each task of the logs by name
        QCheckBox* CheckBox1;   // failures only
        QTableView* ListView1;  // the runs shown
        QLabel* Label2;         // caption of the output
        QPlainTextEdit* Memo1;  // the output of the selected run
        QPushButton* BitBtn1;   // close (also Esc)
    };
    Controls ui;

    const Form6Texts& texts() const { return texts_; }  // section Form6
    // The runs the list shows, in its order.
    const QList<RunRecord>& shownRuns() const;

    // Handlers.
    void ComboBox1Change();
    void CheckBox1Click();
    void ListView1Click();  // the selection moved
    void BitBtn1Click();

private:
    class Model;
    void FormCreate(const LanguageInUse& language, const QString& task);
    void showRuns();

    const MainWindowTexts& mainTexts_;
    Form6Texts texts_ = form6Texts();
    QList<RunRecord> runs_;  // as read, oldest first
    Model* model_ = nullptr;
};

}  // namespace kv
