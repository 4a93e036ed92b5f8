#include "app/aboutbox.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Кельвотрин"), this);
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Label1->setFont(big);
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(QStringLiteral("Версия %1").arg(QStringLiteral(KV_VERSION)), this);
    Label2->setAlignment(Qt::AlignCenter);
    Label3 = new QLabel(QStringLiteral("Планировщик резервного копирования"), this);
    Label3->setAlignment(Qt::AlignCenter);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addSpacing(8);
    layout->addWidget(Button1, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kv
