#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace kv {

// A window's message texts: keyed texts (cf1, cm1, ...) in a fixed order, set to their built-in
// Russian values when the window is created and replaced from a dictionary when a language is
// applied.
class MessageTexts {
public:
    using Entry = QPair<QString, QString>;  // key, text

    explicit MessageTexts(QList<Entry> builtIn);

    // The text of `key`; raises std::out_of_range for an unknown key (a programming error).
    const QString& text(const QString& key) const;
    void set(const QString& key, const QString& text);

    void resetToBuiltIn();
    const QList<Entry>& entries() const { return entries_; }  // in reading order

private:
    QList<Entry> builtIn_;
    QList<Entry> entries_;
};

// The main window's table: cf1..cf4, cm1..cm7, cl1, then the launch failures cm8 (the archiver
// file is no program) and cm9 (its path holds a double quote), cs1 (a
// running copy could not be reached and this one stays closed), then cm10..cm24
// (the ends of runs, the power-off).
MessageTexts mainWindowTexts();

}  // namespace kv
