#include "editor/tform4.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/objectlist.h"
#include "language/translateform.h"
#include "platform/messagebox.h"
#include "store/layouts.h"
#include "store/table.h"
#include "widgets/buttonglyphs.h"

namespace kv {

TForm4::TForm4(Table& working, const EditorTexts& texts, const LanguageInUse& language,
               QWidget* parent)
    : QDialog(parent), working_(working), texts_(texts) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Редактирование"));
    // A fixed dialog frame with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    // The labels are named Label1 to Label9 in this order.
    const QStringList help = {
        QStringLiteral("Для удобства можно использовать маски файлов."),
        QStringLiteral("Маска (шаблон) — имена файлов, в которых используются символы «*» и «?»."),
        QStringLiteral("Символ «?» заменяет один любой символ. Например, маска "
                       "text?.doc означает все"),
        QStringLiteral("файлы с именами text1.doc , text2.doc , texta.doc и т.д."),
        QStringLiteral("Символ «*» заменяет любое число произвольных символов (в том "
                       "числе и отсутствие символа)."),
        QStringLiteral("Например, маска text*.doc означает все файлы с именами "
                       "text1.doc , text2.doc , texta.doc , text11.doc и т.д."),
        QStringLiteral("Маска *.mp3 означает все файлы с любыми именами и расширением "
                       ".mp3 (музыка) ."),
        QStringLiteral("Маска text.* означает все файлы с именем text и любыми расширениями. "),
        QStringLiteral("Маска * означает все файлы."),
    };
    QLabel** const lines[] = {&Label1, &Label2, &Label3, &Label4, &Label5,
                              &Label6, &Label7, &Label8, &Label9};
    for (int i = 0; i < help.size(); ++i) {
        *lines[i] = new QLabel(help[i], this);
        (*lines[i])->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(ObjectField::Path.width());
    BitBtn1 = new QPushButton(buttonGlyph(QStyle::SP_DialogSaveButton), QStringLiteral("Сохранить"),
                              this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 =
        new QPushButton(buttonGlyph(QStyle::SP_DialogCloseButton), QStringLiteral("Закрыть"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton* b : {BitBtn1, BitBtn2}) {
        b->setAutoDefault(false);
    }

    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < help.size(); ++i) {
        // The three examples stand indented under the rules.
        QLabel* line = *lines[i];
        layout->addWidget(line);
        if (i >= 6) {
            layout->setAlignment(line, Qt::AlignLeft);
            line->setContentsMargins(24, 0, 0, 0);
        }
    }
    layout->addSpacing(8);
    layout->addWidget(Edit1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { runReportingErrors([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &TForm4::BitBtn2Click);

    // No message texts of its own: it is only translated.
    translateWindow(this, language);
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        runReportingErrors([this] { FormActivate(); });
    }
}

void TForm4::FormActivate() {
    Edit1->setText(working_.asString(ObjectField::Path));
}

void TForm4::BitBtn1Click() {
    const QString path = Edit1->text();
    // Anything goes, an empty text too, except what the list cannot hold unchanged.
    if (const PathRefusal why = pathRefusal(path); why != PathRefusal::None) {
        messageBox(pathRefusalText(texts_, path, why), texts_.text(Form2Text::cm1));
        return;
    }
    working_.edit();
    working_.setString(ObjectField::Path, path);
    working_.post();
    accept();
}

void TForm4::BitBtn2Click() {
    reject();
}

}  // namespace kv
