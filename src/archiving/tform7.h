#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

#include "archiving/archivecontents.h"
#include "archiving/form7texts.h"
#include "archiving/partialrestore.h"
#include "language/languageinuse.h"
#include "platform/winexec.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kv {

class RadioGroup;

// One archive opened for browsing: its entries as a tree, read from 7-Zip's listing, with ticks
// on files and folders; the ticked entries restored to their original places or into a folder,
// by 7-Zip, followed and logged like every run. Before files that are there and differ from the
// archive's copy are touched, the window lists them and asks: keep both (the default), replace
// them (after a confirmation), or skip them.
//
// Made for each use by the restore dialog and shown modally. The listing starts when the window
// is first shown and runs on its own: the window stays responsive meanwhile. A run that is still
// going when the window closes goes on and is logged; only the window no longer shows its end.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    // `archive`: the archive's path; `sevenZip`: the 7-Zip program (browsingArchiver());
    // `taskName`: the task the archive belongs to, for runs.log. `language` is applied as the
    // window is made.
    TForm7(const QString& archive, const QString& sevenZip, const QString& taskName,
           const LanguageInUse& language = {}, QWidget* parent = nullptr);
    ~TForm7() override;

    // Controls, in creation order.
    struct Controls {
        QLabel* Label1;           // the archive's path
        QTreeWidget* TreeView1;   // the entries: name with its tick, size, modification time
        QLabel* Label2;           // the state: reading, what was read, 7-Zip's message, the result
        RadioGroup* RadioGroup1;  // where to: the original places, or a folder
        QLabel* Label3;           // the folder chosen
        QGroupBox* GroupBox1;     // the question about files that are there and differ:
        QListWidget* ListBox1;    //   those files
        RadioGroup* RadioGroup2;  //   keep both, replace, skip
        QPushButton* BitBtn3;     //   go on with the answer
        QPushButton* BitBtn4;     //   back to the tree
        QPushButton* BitBtn1;     // restore the ticked entries
        QPushButton* BitBtn2;     // close (also Esc)
    };
    Controls ui;

    const Form7Texts& texts() const { return texts_; }  // section Form7
    // The entries read, once the listing has ended well.
    const ArchiveTree* tree() const { return tree_.get(); }
    // The tree's item of node `index`.
    QTreeWidgetItem* itemOf(int index) const;
    // 7-Zip is listing or restoring.
    bool busy() const { return busy_; }

    // Handlers.
    void FormShow();
    void RadioGroup1Click(int index);
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn2Click();

private:
    void FormCreate(const LanguageInUse& language);
    void arrange();
    void listingEnded(const ProgramEnd& end);
    void fillTree();
    // The question about files that differ; the tree while it is not asked.
    void askAboutDiffering(bool ask);
    void startRestore(ExistingFiles existing);
    void restoreEnded(const ProgramEnd& end, ExistingFiles existing);
    void setBusy(bool busy);
    // Where the ticked entries go, as RadioGroup1 and the folder chosen say.
    RestoreTarget chosenTarget() const;
    // Tells a path that no command line carries; true when it was told.
    bool refusedForQuote(const QString& path);
    LaunchFailureTexts launchFailureTexts() const;

    QString archive_;
    QString sevenZip_;
    QString taskName_;
    Form7Texts texts_ = form7Texts();
    std::unique_ptr<ArchiveTree> tree_;
    std::vector<QTreeWidgetItem*> items_;  // by node
    QString folder_;                       // the folder of "в папку…"; empty until chosen
    std::optional<RestorePlan> plan_;      // the restore being asked about
    bool busy_ = false;
};

}  // namespace kv
