#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace kv {

// An edit with its label above it, as one control: the caption is the label's text, the hint
// the edit's tooltip.
class LabeledEdit : public QWidget {
    Q_OBJECT
public:
    explicit LabeledEdit(QWidget* parent = nullptr);

    QString caption() const;
    void setCaption(const QString& caption);
    QString hint() const;
    void setHint(const QString& hint);
    QString text() const;
    void setText(const QString& text);
    int maxLength() const;
    void setMaxLength(int length);

    QLabel* label() const { return label_; }
    QLineEdit* edit() const { return edit_; }

Q_SIGNALS:
    // Every change of the text, typed or set.
    void textChanged(const QString& text);
    // Focus went from the edit to another control of the window.
    void exited();
    // A double click on the edit or on its label.
    void doubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label_;
    QLineEdit* edit_;
};

}  // namespace kv
