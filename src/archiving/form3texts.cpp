#include "archiving/form3texts.h"

namespace kv {

Form3Texts form3Texts() {
    return Form3Texts({
        KV_MESSAGE(Form3Text, cm1, QStringLiteral("Внимание!")),
        KV_MESSAGE(Form3Text, cm2,
                   QStringLiteral("Путь к программе архиватора не может быть пустым!")),
        KV_MESSAGE(Form3Text, cm3,
                   QStringLiteral("Выбранный Вами архиватор не существует. Сохранить?")),
        KV_MESSAGE(Form3Text, cm4,
                   QStringLiteral("Запуск архиватора без параметра может привести к ошибке!")),
        KV_MESSAGE(Form3Text, cm5, QStringLiteral("Добавить параметр")),
        KV_MESSAGE(Form3Text, cm6, QStringLiteral("Удалить")),
        KV_MESSAGE(Form3Text, cm7, QStringLiteral("из списка ?")),
        KV_MESSAGE(Form3Text, cm8, QStringLiteral("Удаление")),
        KV_MESSAGE(Form3Text, cm9,
                   QStringLiteral("Путь к программе архиватора не может содержать двойную "
                                  "кавычку (\"): архиватор с таким путём не запустится.")),
        KV_MESSAGE(Form3Text, cm10,
                   QStringLiteral("Текст «%1» содержит знаки, которые нельзя сохранить в списке "
                                  "настроек (кодировка Windows-1251).")),
        KV_MESSAGE(Form3Text, cm11,
                   QStringLiteral("Команда «%1» длиннее %2 знаков и не поместится в настройку. "
                                  "Сократите путь к архиватору или ключи.")),
        KV_MESSAGE(Form3Text, cm12,
                   QStringLiteral("Путь «%1» длиннее %2 знаков и не может быть сохранён.")),
        KV_MESSAGE(Form3Text, cm13, QStringLiteral("Программы")),
        KV_MESSAGE(Form3Text, cm14, QStringLiteral("Все файлы")),
        KV_MESSAGE(Form3Text, cm15,
                   QStringLiteral("На компьютере есть 7-Zip (%1), но ни одна настройка в списке "
                                  "его не использует. Добавить настройку «%2»?")),
    });
}

}  // namespace kv
