#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace kv {

// The texts that a window, or a layer below the windows, shows in message boxes, as default
// names and in composed captions: one text per key, each key with its name in the dictionaries
// and its built-in text. Keys are an enum class whose enumerators run 0, 1, 2, ... in the order
// in which a language reads them from its dictionary section, so that a misspelt key does not
// compile.
//
// Adding a text: append an enumerator to the key enum, and an entry with that key, its name in
// the dictionaries and its built-in text to the end of the table (KV_MESSAGE writes the name as
// the enumerator is spelt). Keys never move or change their names: dictionaries hold them.
template <typename Key>
class MessageTable {
public:
    struct Entry {
        Key key;
        QString name;  // the key in the dictionary section
        QString text;
    };

    // The entries in the order of their keys.
    explicit MessageTable(QList<Entry> builtIn) : builtIn_(builtIn), entries_(std::move(builtIn)) {
        for (qsizetype i = 0; i < entries_.size(); ++i) {
            Q_ASSERT(qsizetype(entries_[i].key) == i);
        }
    }

    const QString& text(Key key) const { return entries_[index(key)].text; }
    void set(Key key, const QString& text) { entries_[index(key)].text = text; }

    void resetToBuiltIn() { entries_ = builtIn_; }
    // In reading order.
    const QList<Entry>& entries() const { return entries_; }

private:
    qsizetype index(Key key) const {
        const auto i = qsizetype(key);
        Q_ASSERT(i >= 0 && i < entries_.size());
        return i;
    }

    QList<Entry> builtIn_;
    QList<Entry> entries_;
};

// An entry whose name in the dictionaries is its enumerator: KV_MESSAGE(Form1Text, cm4, text).
#define KV_MESSAGE(KeyEnum, key, text) \
    { KeyEnum::key, QStringLiteral(#key), text }

}  // namespace kv
