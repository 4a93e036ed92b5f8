#include "archiving/poweroffcountdown.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/clock.h"
#include "widgets/formkit.h"

namespace kv {

PowerOffCountdown::PowerOffCountdown(const MainWindowTexts& texts, QWidget* parent)
    : QDialog(parent), countText_(texts.text(Form1Text::cm22)) {
    setObjectName(QStringLiteral("PowerOffCountdown"));
    setWindowTitle(texts.text(Form1Text::cm21));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    ui.Label1 = makeLabel(this, "Label1", QString());
    ui.Label1->setAlignment(Qt::AlignCenter);
    // Wide enough for any count, so that the window keeps its size while it counts.
    ui.Label1->setMinimumWidth(ui.Label1->fontMetrics().horizontalAdvance(countText_.arg(88)) + 24);
    ui.BitBtn1 = named(new QPushButton(texts.text(Form1Text::cm23), this), "BitBtn1");
    ui.BitBtn1->setDefault(true);
    setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(ui.Label1);
    layout->addWidget(ui.BitBtn1, 0, Qt::AlignHCenter);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, &timer_, &QTimer::stop);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &PowerOffCountdown::tick);
}

void PowerOffCountdown::start() {
    deadlineMs_ = clock().monotonicMs() + kSeconds * 1000;
    ui.Label1->setText(countText_.arg(kSeconds));
    timer_.start();
    show();
    raise();
    activateWindow();
}

int PowerOffCountdown::secondsLeft() const {
    const qint64 left = deadlineMs_ - clock().monotonicMs();
    return left <= 0 ? 0 : int((left + 999) / 1000);
}

void PowerOffCountdown::tick() {
    if (!timer_.isActive()) {
        return;  // cancelled, or already expired
    }
    const int left = secondsLeft();
    ui.Label1->setText(countText_.arg(left));
    if (left == 0) {
        timer_.stop();
        accept();
        Q_EMIT expired();
    }
}

}  // namespace kv
