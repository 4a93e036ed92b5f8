#include "archiving/form7texts.h"

namespace kv {

Form7Texts form7Texts() {
    return Form7Texts({
        KV_MESSAGE(Form7Text, ct1, QStringLiteral("Имя")),
        KV_MESSAGE(Form7Text, ct2, QStringLiteral("Размер")),
        KV_MESSAGE(Form7Text, ct3, QStringLiteral("Изменён")),
        KV_MESSAGE(Form7Text, ct4, QStringLiteral("Выберите папку, в которую восстановить файлы")),
        KV_MESSAGE(Form7Text, cm1, QStringLiteral("чтение архива…")),
        KV_MESSAGE(Form7Text, cm2, QStringLiteral("Файлов: %1, папок: %2.")),
        KV_MESSAGE(Form7Text, cm3, QStringLiteral("7-Zip не смог прочитать архив:")),
        KV_MESSAGE(Form7Text, cm4,
                   QStringLiteral("Отметьте файлы и папки, которые нужно восстановить.")),
        KV_MESSAGE(Form7Text, cm5,
                   QStringLiteral("Архив не хранит полных путей, и прежнее место этих файлов "
                                  "неизвестно. Выберите «в папку…».")),
        KV_MESSAGE(Form7Text, cm6,
                   QStringLiteral("Файлов будет заменено: %1. Их текущее содержимое будет "
                                  "потеряно. Заменить?")),
        KV_MESSAGE(Form7Text, cm7, QStringLiteral("восстановление…")),
        KV_MESSAGE(Form7Text, cm8, QStringLiteral("Готово. Восстановлено файлов: %1.")),
        KV_MESSAGE(Form7Text, cm9,
                   QStringLiteral("Текущие версии сохранены под новыми именами: %1.")),
        KV_MESSAGE(Form7Text, cm10, QStringLiteral("Заменено текущих файлов: %1.")),
        KV_MESSAGE(Form7Text, cm11, QStringLiteral("Пропущено отличающихся файлов: %1.")),
        KV_MESSAGE(Form7Text, cm12, QStringLiteral("Уже были на месте без изменений: %1.")),
        KV_MESSAGE(Form7Text, cm13, QStringLiteral("Восстановление не удалось. 7-Zip сообщил:")),
        KV_MESSAGE(Form7Text, cm14,
                   QStringLiteral("Все отмеченные файлы уже на месте и не отличаются от копий в "
                                  "архиве.")),
        KV_MESSAGE(Form7Text, cm15, QStringLiteral("Эти пути нельзя передать 7-Zip:")),
        KV_MESSAGE(Form7Text, cm16,
                   QStringLiteral("Путь «%1» содержит двойную кавычку (\"), и 7-Zip получил бы "
                                  "его искажённым.")),
        KV_MESSAGE(Form7Text, cm17, QStringLiteral("Файл архиватора не найден!")),
        KV_MESSAGE(Form7Text, cm18, QStringLiteral("Файл архиватора не найден!")),
        KV_MESSAGE(Form7Text, cm19, QStringLiteral("Путь к архиватору не найден!")),
        KV_MESSAGE(Form7Text, cm20, QStringLiteral("Файл архиватора не является программой!")),
    });
}

}  // namespace kv
