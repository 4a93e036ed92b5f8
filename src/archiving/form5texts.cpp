#include "archiving/form5texts.h"

namespace kv {

Form5Texts form5Texts() {
    return Form5Texts({
        KV_MESSAGE(Form5Text, cm1, QStringLiteral("Файл архиватора не найден!")),
        KV_MESSAGE(Form5Text, cm2, QStringLiteral("Файл архиватора не найден!")),
        KV_MESSAGE(Form5Text, cm3, QStringLiteral("Путь к архиватору не найден!")),
        KV_MESSAGE(Form5Text, cm4, QStringLiteral("Нет файлов архива!")),
        KV_MESSAGE(Form5Text, cm5, QStringLiteral("Файл архиватора не является программой!")),
        KV_MESSAGE(Form5Text, cm6,
                   QStringLiteral("Архив «%1» не может быть восстановлен: путь содержит двойную "
                                  "кавычку (\"), и архиватор получил бы его искажённым.")),
        KV_MESSAGE(Form5Text, cm7,
                   QStringLiteral("Для просмотра архива нужен 7-Zip (7zz, 7z или 7za), но ни "
                                  "настройки архиваторов, ни архиватор задачи его не называют. "
                                  "Установите 7-Zip (пакет 7zip).")),
    });
}

}  // namespace kv
