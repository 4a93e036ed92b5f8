#include "language/mainwindowtexts.h"

namespace kv {

MainWindowTexts mainWindowTexts() {
    return MainWindowTexts({
        KV_MESSAGE(Form1Text, cf1, QStringLiteral("Основная конфигурация WinZip")),
        KV_MESSAGE(Form1Text, cf2, QStringLiteral("Основная конфигурация WinRar")),
        KV_MESSAGE(Form1Text, cf3, QStringLiteral("Только ручной запуск")),
        KV_MESSAGE(Form1Text, cf4, QStringLiteral("При следующем запуске")),
        KV_MESSAGE(Form1Text, cm1, QStringLiteral("Файл архиватора не найден!")),
        KV_MESSAGE(Form1Text, cm2, QStringLiteral("Файл архиватора не найден!")),
        KV_MESSAGE(Form1Text, cm3, QStringLiteral("Путь к архиватору не найден!")),
        KV_MESSAGE(Form1Text, cm4, QStringLiteral("Удалить")),
        KV_MESSAGE(Form1Text, cm5, QStringLiteral("из списка задач?")),
        KV_MESSAGE(Form1Text, cm6, QStringLiteral("Удаление")),
        KV_MESSAGE(Form1Text, cm7, QStringLiteral("Нет файла справки")),
        KV_MESSAGE(Form1Text, cl1, QStringLiteral("Кельвотрин.lnk")),
        KV_MESSAGE(Form1Text, cm8, QStringLiteral("Файл архиватора не является программой!")),
        KV_MESSAGE(Form1Text, cm9, QStringLiteral("Путь к архиватору содержит двойную кавычку!")),
        KV_MESSAGE(Form1Text, cs1,
                   QStringLiteral("Программа уже запущена, но открыть её окно не удалось. Вторая "
                                  "копия не будет запущена. Откройте окно программы щелчком по её "
                                  "значку в области уведомлений.")),
        KV_MESSAGE(Form1Text, cm10, QStringLiteral("Архивация завершилась с ошибкой")),
        KV_MESSAGE(Form1Text, cm11, QStringLiteral("Восстановление завершилось с ошибкой")),
        KV_MESSAGE(Form1Text, cm12,
                   QStringLiteral("Задача «%1»: %2 Подробности — в файле runs.log.")),
        KV_MESSAGE(Form1Text, cm13, QStringLiteral("архиватор пропустил часть файлов (код 1).")),
        KV_MESSAGE(Form1Text, cm14, QStringLiteral("неисправимая ошибка архиватора (код 2).")),
        KV_MESSAGE(Form1Text, cm15,
                   QStringLiteral("ошибка в командной строке архиватора (код 7).")),
        KV_MESSAGE(Form1Text, cm16, QStringLiteral("архиватору не хватило памяти (код 8).")),
        KV_MESSAGE(Form1Text, cm17,
                   QStringLiteral("архиватор остановлен пользователем (код 255).")),
        KV_MESSAGE(Form1Text, cm18, QStringLiteral("архиватор завершился с кодом %1.")),
        KV_MESSAGE(Form1Text, cm19, QStringLiteral("архиватор прерван сигналом %1.")),
        KV_MESSAGE(Form1Text, cm20,
                   QStringLiteral("архиватор завершился без ошибок, но архива «%1» нет.")),
        KV_MESSAGE(Form1Text, cm21, QStringLiteral("Выключение компьютера")),
        KV_MESSAGE(Form1Text, cm22, QStringLiteral("Компьютер будет выключен через %1 с")),
        KV_MESSAGE(Form1Text, cm23, QStringLiteral("Отмена")),
        KV_MESSAGE(Form1Text, cm24, QStringLiteral("Компьютер не выключен: %1")),
        KV_MESSAGE(Form1Text, cm25,
                   QStringLiteral("Задача «%1» не запущена: путь «%2» содержит двойную кавычку "
                                  "(\"), и архиватор получил бы его искажённым. %3")),
        KV_MESSAGE(Form1Text, cm26, QStringLiteral("Измените папку или имя архива в задаче.")),
        KV_MESSAGE(Form1Text, cm27,
                   QStringLiteral("Перенесите программу в папку без кавычек в пути.")),
        KV_MESSAGE(Form1Text, cm28,
                   QStringLiteral("Журнал запусков %1 не записан: %2. Запуски идут как обычно.")),
        KV_MESSAGE(Form1Text, cm29,
                   QStringLiteral("Задача «%1» не запущена: её архив «%2» ещё записывается "
                                  "предыдущим запуском. Запустите задачу, когда он закончится.")),
        KV_MESSAGE(Form1Text, cm30,
                   QStringLiteral("в архиве нет ни одного файла: источник пуст или недоступен.")),
        KV_MESSAGE(Form1Text, cm31, QStringLiteral("Архивация завершилась с предупреждением")),
        KV_MESSAGE(Form1Text, cm32,
                   QStringLiteral("Архив отложен как «%1», прежний архив и его копия не тронуты.")),
        KV_MESSAGE(Form1Text, cm33, QStringLiteral("Журнал запусков не записан")),
        KV_MESSAGE(Form1Text, cm34, QStringLiteral("Задача «%1»: %2")),
        KV_MESSAGE(Form1Text, cm35, QStringLiteral("архив записан, но не поставлен на место: %1.")),
        KV_MESSAGE(Form1Text, cm42,
                   QStringLiteral("Тексты нового языка, которые таблицы не могут хранить, не "
                                  "записаны: там остались прежние.")),
        KV_MESSAGE(Form1Text, cm44,
                   QStringLiteral("«%1» (осталось «%2»): в кодовой странице 1251 нет некоторых "
                                  "его знаков")),
        KV_MESSAGE(Form1Text, cm45, QStringLiteral("«%1» (осталось «%2»): он длиннее %3 знаков")),
        KV_MESSAGE(Form1Text, cm46,
                   QStringLiteral("«%1» (осталось «%2»): так уже называется другая конфигурация "
                                  "архиватора")),
        KV_MESSAGE(Form1Text, cm80, QStringLiteral("Выполняются задачи: %1")),
        KV_MESSAGE(Form1Text, cm90, QStringLiteral("проверка архива не пройдена (код %1).")),
        KV_MESSAGE(Form1Text, cm91,
                   QStringLiteral("проверка архива не пройдена (прервана сигналом %1).")),
        KV_MESSAGE(Form1Text, cm92,
                   QStringLiteral("проверка архива не пройдена: архиватор не запустился.")),
        KV_MESSAGE(Form1Text, cm93,
                   QStringLiteral("на диске не хватает места: свободно %1, нужно %2.")),
        KV_MESSAGE(Form1Text, cm94, QStringLiteral("Архивация не запущена")),
        KV_MESSAGE(Form1Text, cm95, QStringLiteral("%1 МБ")),
        KV_MESSAGE(Form1Text, cm96,
                   QStringLiteral("Файл %1 не найден и создан заново. Задачи с датой в имени "
                                  "архива хранят все свои архивы, пока в редакторе задачи не "
                                  "выбрано иное.")),
        KV_MESSAGE(Form1Text, cm97,
                   QStringLiteral("%1 Пока файл %2 не исправлен, задачи хранят все свои архивы, "
                                  "а выбор архивов для хранения не сохраняется.")),
        KV_MESSAGE(Form1Text, cf5, QStringLiteral("Основная конфигурация 7-Zip")),
        KV_MESSAGE(Form1Text, cf6, QStringLiteral("Основная конфигурация RAR")),
    });
}

}  // namespace kv
