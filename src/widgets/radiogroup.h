#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace kv {

// A framed group of radio buttons with a caption (the frame's title) and an item index that
// can be -1: no item selected. Items fill the columns top to bottom, as many rows as the
// longest column needs.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QString caption() const { return title(); }
    void setCaption(const QString& caption) { setTitle(caption); }

    // Replaces every item; no item is selected afterwards.
    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const { return buttons_.size(); }
    QString item(int index) const;
    // Replaces the text of one item; the items and the selection stay as they are.
    void setItem(int index, const QString& text);

    int itemIndex() const { return index_; }
    // -1 (or any index out of range) clears the selection. Emits nothing.
    void setItemIndex(int index);

    int columns() const { return columns_; }
    void setColumns(int columns);

Q_SIGNALS:
    // The user selected another item (click or arrow keys).
    void activated(int index);
    // Focus went from the group to a control outside it.
    void exited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void arrange();

    QButtonGroup* group_;
    QGridLayout* layout_;
    QList<QRadioButton*> buttons_;
    int index_ = -1;
    int columns_ = 1;
};

}  // namespace kv
