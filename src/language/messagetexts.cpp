#include "language/messagetexts.h"

#include <stdexcept>

namespace kv {

MessageTexts::MessageTexts(QList<Entry> builtIn)
    : builtIn_(builtIn), entries_(std::move(builtIn)) {}

const QString& MessageTexts::text(const QString& key) const {
    for (const Entry& e : entries_) {
        if (e.first == key) {
            return e.second;
        }
    }
    throw std::out_of_range("unknown message key " + key.toStdString());
}

void MessageTexts::set(const QString& key, const QString& text) {
    for (Entry& e : entries_) {
        if (e.first == key) {
            e.second = text;
            return;
        }
    }
    throw std::out_of_range("unknown message key " + key.toStdString());
}

void MessageTexts::resetToBuiltIn() {
    entries_ = builtIn_;
}

MessageTexts mainWindowTexts() {
    return MessageTexts({
        {QStringLiteral("cf1"), QStringLiteral("Основная конфигурация WinZip")},
        {QStringLiteral("cf2"), QStringLiteral("Основная конфигурация WinRar")},
        {QStringLiteral("cf3"), QStringLiteral("Только ручной запуск")},
        {QStringLiteral("cf4"), QStringLiteral("При следующем запуске")},
        {QStringLiteral("cm1"), QStringLiteral("Файл архиватора не найден!")},
        {QStringLiteral("cm2"), QStringLiteral("Файл архиватора не найден!")},
        {QStringLiteral("cm3"), QStringLiteral("Путь к архиватору не найден!")},
        {QStringLiteral("cm4"), QStringLiteral("Удалить")},
        {QStringLiteral("cm5"), QStringLiteral("из списка задач?")},
        {QStringLiteral("cm6"), QStringLiteral("Удаление")},
        {QStringLiteral("cm7"), QStringLiteral("Нет файла справки")},
        {QStringLiteral("cl1"), QStringLiteral("Кельвотрин.lnk")},
        {QStringLiteral("cm8"), QStringLiteral("Файл архиватора не является программой!")},
        {QStringLiteral("cm9"), QStringLiteral("Путь к архиватору содержит двойную кавычку!")},
        {QStringLiteral("cs1"),
         QStringLiteral("Программа уже запущена, но открыть её окно не удалось. Вторая копия не "
                        "будет запущена. Откройте окно программы щелчком по её значку в области "
                        "уведомлений.")},
        // What the end of a run tells: a title, then the task and the reason.
        {QStringLiteral("cm10"), QStringLiteral("Архивация завершилась с ошибкой")},
        {QStringLiteral("cm11"), QStringLiteral("Восстановление завершилось с ошибкой")},
        {QStringLiteral("cm12"), QStringLiteral("Задача «%1»: %2 Подробности — в файле runs.log.")},
        {QStringLiteral("cm13"), QStringLiteral("архиватор пропустил часть файлов (код 1).")},
        {QStringLiteral("cm14"), QStringLiteral("неисправимая ошибка архиватора (код 2).")},
        {QStringLiteral("cm15"), QStringLiteral("ошибка в командной строке архиватора (код 7).")},
        {QStringLiteral("cm16"), QStringLiteral("архиватору не хватило памяти (код 8).")},
        {QStringLiteral("cm17"), QStringLiteral("архиватор остановлен пользователем (код 255).")},
        {QStringLiteral("cm18"), QStringLiteral("архиватор завершился с кодом %1.")},
        {QStringLiteral("cm19"), QStringLiteral("архиватор прерван сигналом %1.")},
        {QStringLiteral("cm20"),
         QStringLiteral("архиватор завершился без ошибок, но архива «%1» нет.")},
        // The power-off after a run.
        {QStringLiteral("cm21"), QStringLiteral("Выключение компьютера")},
        {QStringLiteral("cm22"), QStringLiteral("Компьютер будет выключен через %1 с")},
        {QStringLiteral("cm23"), QStringLiteral("Отмена")},
        {QStringLiteral("cm24"), QStringLiteral("Компьютер не выключен: %1")},
    });
}

}  // namespace kv
