#include "archiving/form6texts.h"

namespace kv {

Form6Texts form6Texts() {
    return Form6Texts({
        KV_MESSAGE(Form6Text, ct1, QStringLiteral("Начало")),
        KV_MESSAGE(Form6Text, ct2, QStringLiteral("Окончание")),
        KV_MESSAGE(Form6Text, ct3, QStringLiteral("Длительность")),
        KV_MESSAGE(Form6Text, ct4, QStringLiteral("Задача")),
        KV_MESSAGE(Form6Text, ct5, QStringLiteral("Результат")),
        KV_MESSAGE(Form6Text, ct6, QStringLiteral("Архив")),
        KV_MESSAGE(Form6Text, ct7, QStringLiteral("Размер")),
        KV_MESSAGE(Form6Text, ct8, QStringLiteral("Все задачи")),
        KV_MESSAGE(Form6Text, ct9, QStringLiteral("восстановление: %1")),
        KV_MESSAGE(Form6Text, ct10, QStringLiteral("Проверка")),
        KV_MESSAGE(Form6Text, ct11, QStringLiteral("пройдена за %1")),
        KV_MESSAGE(Form6Text, ct12, QStringLiteral("не пройдена (код %1)")),
        KV_MESSAGE(Form6Text, ct13, QStringLiteral("не пройдена (сигнал %1)")),
        KV_MESSAGE(Form6Text, ct14, QStringLiteral("не проверялся")),
        KV_MESSAGE(Form6Text, ct15, QStringLiteral("не запустилась")),
    });
}

}  // namespace kv
