#include "app/aboutbox.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/programicon.h"
#include "platform/programfolder.h"
#include "widgets/formkit.h"

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
    QLabel* label = makeLabel(parent, name, text);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(const LanguageInUse& language, QWidget* parent)
    : QDialog(parent), texts_(aboutTexts()) {
    setObjectName(QStringLiteral("AboutBox"));
    texts_.resetToBuiltIn();
    readMessageTable(texts_, objectName(), language);
    setWindowTitle(texts_.text(AboutText::ca1));

    ui.Image1 = centred(this, "Image1", QString());
    ui.Image1->setPixmap(programIcon().pixmap(QSize(64, 64)));
    ui.Label1 = centred(this, "Label1", texts_.text(AboutText::ca2));
    QFont big = ui.Label1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    ui.Label1->setFont(big);
    ui.Label2 =
        centred(this, "Label2", texts_.text(AboutText::ca3).arg(QStringLiteral(KV_VERSION)));
    ui.Label3 = centred(this, "Label3", texts_.text(AboutText::ca4));
    ui.Label4 = centred(this, "Label4", texts_.text(AboutText::ca5));
    ui.Label5 = centred(this, "Label5", programFolder());
    ui.Label5->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    ui.Label5->setTextFormat(Qt::PlainText);
    ui.Button1 = named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    ui.Button1->setDefault(true);
    connect(ui.Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(ui.Image1);
    layout->addWidget(ui.Label1);
    layout->addWidget(ui.Label2);
    layout->addWidget(ui.Label3);
    layout->addSpacing(12);
    layout->addWidget(ui.Label4);
    layout->addWidget(ui.Label5);
    layout->addSpacing(8);
    layout->addWidget(ui.Button1, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kv
