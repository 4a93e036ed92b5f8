#pragma once

#include <QDialog>

#include "language/languageinuse.h"
#include "platform/messagetable.h"

class QLabel;
class QPushButton;

namespace kv {

// The About box's texts (dictionary section AboutBox), in reading order. The box has no other
// texts to translate: its labels show these.
enum class AboutText {
    ca1,  // the window's caption
    ca2,  // the program's name
    ca3,  // %1 the version
    ca4,  // what the program does, in one line
    ca5,  // caption of the program folder
};

using AboutTexts = MessageTable<AboutText>;

// The About box: the program's icon, name, version and purpose, and the program folder (as
// selectable text, to be copied into a file manager). Shown modally from the main window.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // The texts are read from the dictionary of `language` as the box is made.
    explicit TAboutBox(const LanguageInUse& language = {}, QWidget* parent = nullptr);

    // Controls, in creation order.
    struct Controls {
        QLabel* Image1;  // the icon
        QLabel* Label1;  // name
        QLabel* Label2;  // version
        QLabel* Label3;  // what it does
        QLabel* Label4;  // caption of the program folder
        QLabel* Label5;  // the program folder
        QPushButton* Button1;
    };
    Controls ui;

    const AboutTexts& texts() const { return texts_; }

private:
    AboutTexts texts_;
};

}  // namespace kv
