#include "icons/tests/fake_host.h"

namespace zandrel::testing {

// The built-in texts of the main window's entries that saving and extracting use.
FakeCatalogue::FakeCatalogue()
    : texts_{
          {u"LangErrorloadingIconID", u"Ошибка загрузки иконки ID="},
          {u"LangIconIDnotFound", u"Не найдена иконка ID="},
          {u"LangSaved", u"Сохранено:"},
          {u"LangSavingError", u"Ошибка сохранения:"},
          {u"LangErrorSaving", u"Ошибка при сохранении:"},
          {u"LangStartingExtractIcons", u"Начало извлечения иконок..."},
          {u"LangFile", u"Файл:"},
          {u"LangFileNotFound", u"❌ ОШИБКА: Файл не найден!"},
          {u"LangCheckPath", u"Проверьте путь:"},
          {u"LangSaveFolder", u"Папка для сохранения:"},
          {u"LangFolderCreated", u"✓ Папка создана"},
          {u"LangFailedCreateFolder", u"❌ Не удалось создать папку!"},
          {u"LangLoadingFile", u"Загрузка файла..."},
          {u"LangERRORFailedLoadFile", u"❌ ОШИБКА: Не удалось загрузить файл!"},
          {u"LangFileLoadedSuccessfully", u"✓ Файл загружен успешно"},
          {u"LangErrorCode", u"Код ошибки:"},
          {u"LangSearchingIconGroups", u"Поиск групп иконок..."},
          {u"LangSearchCompleted", u"✓ Поиск завершен"},
          {u"LangNoIconGroupsFound", u"ℹ️ Группы иконок не найдены"},
          {u"LangIconGroupsFound", u"Найдено групп иконок: "},
          {u"LangExtractionStarted", u"Начато извлечение..."},
          {u"LangExtraction", u"Извлечение"},
          {u"LangSaveAs", u"Сохраняем как:"},
          {u"LangSuccessfully", u" ✓ Успешно"},
          {u"LangError2", u"✗ Ошибка"},
          {u"LangEXTRACTIONCOMPLETE", u"ИЗВЛЕЧЕНИЕ ЗАВЕРШЕНО"},
          {u"LangIconsFound", u"Найдено иконок:"},
          {u"LangSuccessfullyExtracted", u"Успешно извлечено:"},
          {u"LangFolder", u"Папка:"},
          {u"LangFailedToExtract", u"Не удалось извлечь:"},
          {u"LangReady", u"Готово!"},
          {u"LangIDConversionError", u"Ошибка преобразования ID:"},
          {u"LangGroupNotFound", u"Не найдена группа:"},
          {u"LangErrorLoadingResource", u"Ошибка загрузки ресурса:"},
          {u"LangInvalidDataSize", u"Неверный размер данных:"},
          {u"LangGroupTooLarge", u"Группа иконок слишком велика, пропущена:"},
      } {}

std::u16string FakeCatalogue::Text(std::u16string_view entry) const {
  if (on_read) on_read(entry);
  const auto found = texts_.find(entry);
  // An unknown entry shows up in the log instead of passing silently.
  return found == texts_.end() ? u"<missing " + std::u16string(entry) + u">" : found->second;
}

}  // namespace zandrel::testing
