#include "editor/tform4.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/objectlist.h"
#include "language/translateform.h"
#include "platform/messagebox.h"
#include "store/programtables.h"
#include "widgets/formkit.h"

namespace kv {

TForm4::TForm4(ProgramTables& tables, const EditorTexts& texts, const LanguageInUse& language,
               QWidget* parent)
    : QDialog(parent), working_(tables.working), texts_(texts) {
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
    QLabel** const lines[] = {&ui.Label1, &ui.Label2, &ui.Label3, &ui.Label4, &ui.Label5,
                              &ui.Label6, &ui.Label7, &ui.Label8, &ui.Label9};
    for (int i = 0; i < help.size(); ++i) {
        *lines[i] = new QLabel(help[i], this);
        (*lines[i])->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }

    ui.Edit1 = named(new QLineEdit(this), "Edit1");
    ui.Edit1->setMaxLength(ObjectField::Path.width());
    ui.BitBtn1 =
        makeButton(this, "BitBtn1", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    ui.BitBtn2 =
        makeButton(this, "BitBtn2", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);

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
    layout->addWidget(ui.Edit1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectHandler(ui.BitBtn1, &QPushButton::clicked, this, &TForm4::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TForm4::BitBtn2Click);
    onFirstShow(this, [this] { FormActivate(); });

    // No message texts of its own: it is only translated.
    translateWindow(this, language);
}

void TForm4::FormActivate() {
    ui.Edit1->setText(working_.asString(ObjectField::Path));
}

void TForm4::BitBtn1Click() {
    const QString path = ui.Edit1->text();
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
