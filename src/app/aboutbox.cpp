#include "app/aboutbox.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/programicon.h"
#include "platform/programfolder.h"

namespace kv {
namespace {

AboutTexts aboutTexts() {
    return AboutTexts({
        KV_MESSAGE(AboutText, ca1, QStringLiteral("О программе")),
        KV_MESSAGE(AboutText, ca2, QStringLiteral("Кельвотрин")),
        KV_MESSAGE(AboutText, ca3, QStringLiteral("Версия %1")),
        KV_MESSAGE(AboutText, ca4, QStringLiteral("Планировщик резервного копирования")),
        KV_MESSAGE(AboutText, ca5, QStringLiteral("Папка программы:")),
    });
}

QLabel* centred(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(const LanguageInUse& language, QWidget* parent)
    : QDialog(parent), texts(aboutTexts()) {
    setObjectName(QStringLiteral("AboutBox"));
    texts.resetToBuiltIn();
    readMessageTable(texts, objectName(), language);
    setWindowTitle(texts.text(AboutText::ca1));

    Image1 = centred(this, "Image1", QString());
    Image1->setPixmap(programIcon().pixmap(QSize(64, 64)));
    Label1 = centred(this, "Label1", texts.text(AboutText::ca2));
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Label1->setFont(big);
    Label2 = centred(this, "Label2", texts.text(AboutText::ca3).arg(QStringLiteral(KV_VERSION)));
    Label3 = centred(this, "Label3", texts.text(AboutText::ca4));
    Label4 = centred(this, "Label4", texts.text(AboutText::ca5));
    Label5 = centred(this, "Label5", programFolder());
    Label5->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Label5->setTextFormat(Qt::PlainText);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(Image1);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addSpacing(12);
    layout->addWidget(Label4);
    layout->addWidget(Label5);
    layout->addSpacing(8);
    layout->addWidget(Button1, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kv
