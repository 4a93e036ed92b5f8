#include "editor/editortexts.h"

namespace kv {

MessageTexts editorTexts() {
    return MessageTexts({
        {QStringLiteral("ct1"), QStringLiteral("Новая задача")},
        {QStringLiteral("ct2"), QStringLiteral("в последний день месяца (если дней меньше чем")},
        {QStringLiteral("ct3"), QStringLiteral("Выберите папку")},
        {QStringLiteral("cm1"), QStringLiteral("Внимание!")},
        {QStringLiteral("cm2"), QStringLiteral("Удалить данный файл(папку) из списка?")},
        {QStringLiteral("cm3"), QStringLiteral("Очистить весь список?")},
        {QStringLiteral("cm4"), QStringLiteral("Сохранить изменения?")},
        {QStringLiteral("cm5"), QStringLiteral("Наименование задачи не может быть пустым!")},
        {QStringLiteral("cm6"), QStringLiteral("Задача с таким наименованием уже существует!")},
        // The save refused: %1 is the text in question (with cm8 the most characters a name may
        // have), %2 the most characters it may have.
        {QStringLiteral("cm7"),
         QStringLiteral("Наименование задачи не может состоять из одних пробелов!")},
        {QStringLiteral("cm8"),
         QStringLiteral("Наименование задачи не может быть длиннее %1 символов!")},
        {QStringLiteral("cm9"),
         QStringLiteral("Текст «%1» длиннее %2 символов, в задаче его сохранить нельзя!")},
        {QStringLiteral("cm10"),
         QStringLiteral("Текст «%1» содержит символы, которые нельзя сохранить в задаче!")},
        {QStringLiteral("cm11"),
         QStringLiteral("Папка и имя архива не могут содержать двойную кавычку: «%1»!")},
        {QStringLiteral("cm12"),
         QStringLiteral("Команда архиватора в настройке «%1» длиннее %2 символов, в задаче её "
                        "сохранить нельзя! Выберите другую настройку.")},
        // An object not added: %1 is its path, %2 the most characters a path may have.
        {QStringLiteral("cm13"),
         QStringLiteral("Объект не добавлен: путь «%1» содержит символы, которые нельзя сохранить "
                        "в списке объектов.")},
        {QStringLiteral("cm14"),
         QStringLiteral("Объект не добавлен: путь «%1» длиннее %2 символов.")},
        {QStringLiteral("cm15"),
         QStringLiteral("Объект не добавлен: путь «%1» содержит перевод строки.")},
        // A save that failed: %1 says why (an error of the tables, cm18 or cm19); with cm17, %2
        // says why the earlier object list could not be put back.
        {QStringLiteral("cm16"),
         QStringLiteral("Задача не сохранена: %1. Сохранённые ранее данные задачи не изменились.")},
        {QStringLiteral("cm17"),
         QStringLiteral(
             "Задача не сохранена: %1. Прежний список объектов задачи вернуть не удалось: "
             "%2. Сохраните задачу ещё раз.")},
        {QStringLiteral("cm18"), QStringLiteral("файл списка «%1» не записан: %2")},
        {QStringLiteral("cm19"),
         QStringLiteral("в папке Lists не нашлось свободного имени для файла списка")},
    });
}

}  // namespace kv
