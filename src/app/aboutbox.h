#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kv {

// The About box: the program's name and version, shown modally from the main window.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* Label1;  // name
    QLabel* Label2;  // version
    QLabel* Label3;  // what it does
    QPushButton* Button1;
};

}  // namespace kv
