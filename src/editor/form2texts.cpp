#include "editor/form2texts.h"

namespace kv {

EditorTexts editorTexts() {
    return EditorTexts({
        KV_MESSAGE(Form2Text, ct1, QStringLiteral("Новая задача")),
        KV_MESSAGE(Form2Text, ct2, QStringLiteral("в последний день месяца (если дней меньше чем")),
        KV_MESSAGE(Form2Text, ct3, QStringLiteral("Выберите папку")),
        KV_MESSAGE(Form2Text, cm1, QStringLiteral("Внимание!")),
        KV_MESSAGE(Form2Text, cm2, QStringLiteral("Удалить данный файл(папку) из списка?")),
        KV_MESSAGE(Form2Text, cm3, QStringLiteral("Очистить весь список?")),
        KV_MESSAGE(Form2Text, cm4, QStringLiteral("Сохранить изменения?")),
        KV_MESSAGE(Form2Text, cm5, QStringLiteral("Наименование задачи не может быть пустым!")),
        KV_MESSAGE(Form2Text, cm6, QStringLiteral("Задача с таким наименованием уже существует!")),
        KV_MESSAGE(Form2Text, cm7,
                   QStringLiteral("Наименование задачи не может состоять из одних пробелов!")),
        KV_MESSAGE(Form2Text, cm8,
                   QStringLiteral("Наименование задачи не может быть длиннее %1 символов!")),
        KV_MESSAGE(
            Form2Text, cm9,
            QStringLiteral("Текст «%1» длиннее %2 символов, в задаче его сохранить нельзя!")),
        KV_MESSAGE(
            Form2Text, cm10,
            QStringLiteral("Текст «%1» содержит символы, которые нельзя сохранить в задаче!")),
        KV_MESSAGE(Form2Text, cm11,
                   QStringLiteral("Папка и имя архива не могут содержать двойную кавычку: «%1»!")),
        KV_MESSAGE(Form2Text, cm12,
                   QStringLiteral("Команда архиватора в настройке «%1» длиннее %2 символов, в "
                                  "задаче её сохранить нельзя! Выберите другую настройку.")),
        KV_MESSAGE(Form2Text, cm13,
                   QStringLiteral("Путь «%1» не может быть в списке объектов: он содержит "
                                  "символы, которые список не может хранить.")),
        KV_MESSAGE(Form2Text, cm14,
                   QStringLiteral("Путь «%1» не может быть в списке объектов: он длиннее %2 "
                                  "символов.")),
        KV_MESSAGE(Form2Text, cm15,
                   QStringLiteral("Путь «%1» не может быть в списке объектов: он содержит "
                                  "перевод строки.")),
        KV_MESSAGE(Form2Text, cm16,
                   QStringLiteral(
                       "Задача не сохранена: %1. Сохранённые ранее данные задачи не изменились.")),
        KV_MESSAGE(Form2Text, cm17,
                   QStringLiteral("Задача не сохранена: %1. Прежний список объектов задачи "
                                  "вернуть не удалось: %2. Сохраните задачу ещё раз.")),
        KV_MESSAGE(Form2Text, cm18, QStringLiteral("файл списка «%1» не записан: %2")),
        KV_MESSAGE(Form2Text, cm19,
                   QStringLiteral("в папке Lists не нашлось свободного имени для файла списка")),
        KV_MESSAGE(Form2Text, cm20,
                   QStringLiteral("У задачи нет команды архиватора, и запустить её будет нечем. "
                                  "Выберите настройку архиватора или добавьте её кнопкой «Список "
                                  "настроек архиваторов».")),
        KV_MESSAGE(Form2Text, cm21,
                   QStringLiteral("Путь «%1» не может быть в списке объектов: он начинается или "
                                  "оканчивается пробелом (или табуляцией), а архиватор отбрасывает "
                                  "их в строках списка и пропустил бы этот объект.")),
        KV_MESSAGE(Form2Text, cm22,
                   QStringLiteral("Задача сохранена, но правило хранения архивов не записано: "
                                  "таблица %1 не открыта. Пока она не исправлена, задача хранит "
                                  "все свои архивы.")),
        KV_MESSAGE(Form2Text, ct4, QStringLiteral("Выберите файлы")),
        KV_MESSAGE(Form2Text, ct5, QStringLiteral("архивов")),
        KV_MESSAGE(Form2Text, ct6, QStringLiteral("дней")),
    });
}

}  // namespace kv
