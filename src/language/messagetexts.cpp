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
    });
}

}  // namespace kv
