#pragma once

#include <QObject>
#include <QString>

namespace kv {

// What a window's open-file dialog shows: its title and its file filter (in QFileDialog's form,
// "Archives (*.zip *.7z);;All files (*)"). The window owns one per dialog, named like the dialog
// (OpenDialog1), so that translation finds its title; the file-dialog seam reads it when the
// dialog is shown.
class OpenDialog : public QObject {
    Q_OBJECT
public:
    explicit OpenDialog(QObject* parent = nullptr) : QObject(parent) {}

    QString title;
    QString filter;
};

}  // namespace kv
