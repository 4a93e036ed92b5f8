#include "platform/platformtexts.h"

namespace kv {

MessageTable<PlatformText>& platformTexts() {
    using T = PlatformText;
    static MessageTable<PlatformText> texts({
        {T::ErrorCaption, QStringLiteral("cp1"), QStringLiteral("Kelvotrin")},
        {T::AutostartFailed, QStringLiteral("cp2"), QStringLiteral("Failed to set data for '%1'")},
        {T::CannotRead, QStringLiteral("cp3"), QStringLiteral("Cannot read %1")},
        {T::CannotWrite, QStringLiteral("cp4"), QStringLiteral("Cannot write %1: %2")},
        {T::RegistryIgnored, QStringLiteral("cp5"),
         QStringLiteral("Файл %1 не прочитан: %2. Он не учитывается, пока не будет исправлен.")},
        {T::RegistryLine, QStringLiteral("cp6"), QStringLiteral("строка %1: %2")},
        {T::RegistryUnreadable, QStringLiteral("cp7"), QStringLiteral("файл не читается (%1)")},
        {T::RegistryTooLarge, QStringLiteral("cp8"), QStringLiteral("файл слишком велик")},
        {T::RegistryBadEncoding, QStringLiteral("cp9"),
         QStringLiteral("текст в неверной кодировке")},
        {T::RegistryNoHeader, QStringLiteral("cp10"),
         QStringLiteral("первая строка должна быть «REGEDIT4» или «Windows Registry Editor "
                        "Version 5.00»")},
        {T::RegistryEmpty, QStringLiteral("cp11"),
         QStringLiteral("файл пуст, нет первой строки «REGEDIT4»")},
        {T::RegistryNoClosingBracket, QStringLiteral("cp12"),
         QStringLiteral("нет закрывающей скобки «]»")},
        {T::RegistryEmptyKeyName, QStringLiteral("cp13"), QStringLiteral("пустое имя раздела")},
        {T::RegistryNoClosingQuote, QStringLiteral("cp14"),
         QStringLiteral("нет закрывающей кавычки")},
        {T::RegistryValueOutsideKey, QStringLiteral("cp15"),
         QStringLiteral("значение вне раздела")},
        {T::RegistryStrayLine, QStringLiteral("cp16"),
         QStringLiteral("строка не похожа ни на раздел, ни на значение")},
        {T::RegistryNoEqualsSign, QStringLiteral("cp17"), QStringLiteral("ожидался знак «=»")},
        {T::RegistryTextAfterValue, QStringLiteral("cp18"),
         QStringLiteral("лишний текст после значения")},
        {T::RegistryBadDword, QStringLiteral("cp19"), QStringLiteral("неверное значение dword")},
        {T::RegistryUnknownValueKind, QStringLiteral("cp20"),
         QStringLiteral("неизвестный вид значения")},
        {T::RegistryBadHexData, QStringLiteral("cp21"),
         QStringLiteral("неверные шестнадцатеричные данные")},
        {T::RegistryBadHexType, QStringLiteral("cp22"),
         QStringLiteral("неверный тип шестнадцатеричного значения")},
        {T::RegistryCutShort, QStringLiteral("cp23"),
         QStringLiteral("данные оборваны в конце файла")},
        {T::CannotOpen, QStringLiteral("cp24"), QStringLiteral("Cannot open %1")},
        {T::NotARegularFile, QStringLiteral("cm40"), QStringLiteral("это не обычный файл")},
        {T::UnusableFolder, QStringLiteral("cm47"),
         QStringLiteral("Программа не запущена: она не может хранить свои файлы в папке «%1» "
                        "(%2).")},
        {T::NotUtf8, QStringLiteral("cm48"),
         QStringLiteral("путь к папке записан не в кодировке UTF-8")},
    });
    return texts;
}

}  // namespace kv
