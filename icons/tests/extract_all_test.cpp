#include "icons/extract_all.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/file_io.h"
#include "core/text.h"
#include "icons/queued_writes.h"
#include "icons/tests/fake_host.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"

namespace zandrel::icons {
namespace {

using Lines = std::vector<std::u16string>;

class ExtractAll : public ::testing::Test {
 protected:
  // A module file with the given icon groups, one small image each.
  std::u16string MakeModule(const std::vector<ResourceName>& groups) {
    testing::PeBuilder pe;
    std::uint8_t seed = 0;
    for (const auto& name : groups) pe.AddIconGroup(name, {{Bytes(40, ++seed), 16, 16, 32}});
    const std::u16string path = dir.path() + u"\\tool.exe";
    pe.WriteTo(path);
    return path;
  }

  void Run(std::u16string_view exe, std::u16string_view output) {
    ExtractAllIconsWithProgress(exe, output, progress, log, host, catalogue);
  }

  // The log from `first` on, up to (not including) `last`.
  Lines Between(std::u16string_view first, std::u16string_view last) const {
    auto begin = std::find(log.lines.begin(), log.lines.end(), first);
    auto end = std::find(begin, log.lines.end(), last);
    return Lines(begin, end);
  }

  testing::TempFolder dir;
  testing::FakeCatalogue catalogue;
  testing::RecordingLog log;
  testing::RecordingProgress progress;
  testing::FakeHost host;
};

TEST_F(ExtractAll, NarratesARunLineForLine) {
  const std::u16string exe = MakeModule({ResourceName::Text(u"MAINICON"), ResourceName::Id(101)});
  const std::u16string target = dir.path() + u"\\Extracted Icons\\";
  log.lines = {u"left from before"};
  Run(exe, dir.path() + u"\\Extracted Icons");

  const Lines expected{
      u"Начало извлечения иконок...",
      u"Файл: " + exe,
      u"Папка для сохранения: " + target,
      u"✓ Папка создана",
      u"Загрузка файла...",
      u"✓ Файл загружен успешно",
      u"Поиск групп иконок...",
      u"✓ Поиск завершен",
      u"Найдено групп иконок:  2",
      u"  [0] MAINICON",
      u"  [1] ID:101",
      u"",
      u"Начато извлечение...",
      u"Извлечение 1/2: MAINICON",
      u"Сохраняем как: icon_MAINICON.ico",
      u"Сохранено: icon_MAINICON",
      u" ✓ Успешно",
      u"",
      u"Извлечение 2/2: ID:101",
      u"Сохраняем как: icon_101.ico",
      u"Сохранено: icon_101",
      u" ✓ Успешно",
      u"",
      u"════════════════════════════════════",
      u"ИЗВЛЕЧЕНИЕ ЗАВЕРШЕНО",
      u"Найдено иконок: 2",
      u"Успешно извлечено: 2",
      u"Папка: " + target,
      u"",
      u"Готово!",
  };
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(log.scrolled_at, std::vector<std::size_t>{expected.size() - 2});
  EXPECT_TRUE(FileExists(target + u"icon_MAINICON.ico"));
  EXPECT_TRUE(FileExists(target + u"icon_101.ico"));
  EXPECT_EQ(host.sleeps, std::vector<unsigned>{50});
  EXPECT_FALSE(progress.visible);
  EXPECT_EQ(progress.position, 0);
}

TEST_F(ExtractAll, StopsEarlyWithoutTouchingTheProgressBar) {
  Run(u"", u"");
  EXPECT_EQ(log.lines, (Lines{u"Начало извлечения иконок...", u"Файл: ",
                              u"❌ ОШИБКА: Файл не найден!", u"Проверьте путь: "}));

  // A file stands where the folder should be created.
  const std::u16string exe = MakeModule({ResourceName::Id(1)});
  WriteFileAtomically(dir.path() + u"\\blocked", Bytes{1});
  Run(exe, dir.path() + u"\\blocked\\sub");
  EXPECT_EQ(log.lines.back(), u"❌ Не удалось создать папку!");

  // Not a module: the platform's error code, in decimal.
  const std::u16string text_file = dir.path() + u"\\readme.txt";
  WriteFileAtomically(text_file, Bytes(200, 'a'));
  Run(text_file, dir.path());
  EXPECT_EQ(
      Lines(log.lines.end() - 3, log.lines.end()),
      (Lines{u"Загрузка файла...", u"❌ ОШИБКА: Не удалось загрузить файл!", u"Код ошибки: 193"}));
  // An existing folder is not announced as created.
  EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), u"✓ Папка создана"), 0);

  EXPECT_TRUE(progress.events.empty());
  EXPECT_EQ(host.messages_processed, 0);
}

TEST_F(ExtractAll, ModuleWithoutGroupsStillRunsTheClosingSteps) {
  testing::PeBuilder pe;
  pe.Add(kRtIcon, ResourceName::Id(1), Bytes(40, 1));
  const std::u16string exe = dir.path() + u"\\empty.dll";
  pe.WriteTo(exe);
  Run(exe, dir.path());
  EXPECT_EQ(Lines(log.lines.end() - 5, log.lines.end()),
            (Lines{u"Поиск групп иконок...", u"✓ Поиск завершен",
                   u"ℹ️ Группы иконок не найдены", u"", u"Готово!"}));
  EXPECT_EQ(progress.events, std::vector<std::string>{"hide"});
  EXPECT_EQ(host.messages_processed, 1);
}

TEST_F(ExtractAll, FailingGroupsAreCountedAndTheLoopGoesOn) {
  testing::PeBuilder pe;
  pe.Add(kRtGroupIcon, ResourceName::Text(u"ID:abc"), Bytes{0, 0, 1, 0, 0, 0});
  pe.Add(kRtGroupIcon, ResourceName::Text(u"SHORT"), Bytes{0, 0, 1});
  // ID:5 names an image that is missing: still written, still a success.
  pe.Add(kRtGroupIcon, ResourceName::Id(5),
         Bytes{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 40, 0, 0, 0, 9, 0});
  const std::u16string exe = dir.path() + u"\\tool.exe";
  pe.WriteTo(exe);
  Run(exe, dir.path() + u"/out/");

  EXPECT_EQ(Between(u"Извлечение 1/3: ID:abc", u""),
            (Lines{u"Извлечение 1/3: ID:abc", u"Сохраняем как: icon_abc.ico",
                   u"Ошибка преобразования ID: ID:abc", u"✗ Ошибка"}));
  EXPECT_EQ(Between(u"Извлечение 2/3: SHORT", u""),
            (Lines{u"Извлечение 2/3: SHORT", u"Сохраняем как: icon_SHORT.ico",
                   u"Неверный размер данных: SHORT", u"✗ Ошибка"}));
  EXPECT_EQ(Between(u"Извлечение 3/3: ID:5", u""),
            (Lines{u"Извлечение 3/3: ID:5", u"Сохраняем как: icon_5.ico", u"Не найдена иконка ID=9",
                   u"Сохранено: icon_5", u" ✓ Успешно"}));
  // An output text ending in "/" gets no extra separator.
  EXPECT_EQ(Between(u"Найдено иконок: 3", u""),
            (Lines{u"Найдено иконок: 3", u"Успешно извлечено: 1",
                   u"Папка: " + dir.path() + u"/out/", u"Не удалось извлечь: 2"}));
  EXPECT_TRUE(FileExists(dir.path() + u"/out/icon_5.ico"));
  EXPECT_FALSE(FileExists(dir.path() + u"/out/icon_SHORT.ico"));
}

TEST_F(ExtractAll, EmptyOutputTextWritesBesideTheSource) {
  const std::u16string exe = MakeModule({ResourceName::Id(1)});
  Run(exe, u"");
  const std::u16string target = dir.path() + u"\\Extracted_Icons\\";
  EXPECT_EQ(log.lines[2], u"Папка для сохранения: " + target);
  EXPECT_TRUE(FileExists(target + u"icon_1.ico"));
}

TEST_F(ExtractAll, CollidingNamesGetSuffixesWithinOneRun) {
  const std::u16string exe = MakeModule(
      {ResourceName::Text(u"A*B"), ResourceName::Text(u"A?B"), ResourceName::Text(u"a:b")});
  const std::u16string out = dir.path() + u"\\out\\";
  ASSERT_TRUE(ForceDirectories(out));
  WriteFileAtomically(out + u"icon_A_B.ico", Bytes{1});  // from an earlier run: replaced
  for (int run = 0; run < 2; ++run) {
    Run(exe, out);
    EXPECT_EQ(std::count_if(log.lines.begin(), log.lines.end(),
                            [](const auto& l) { return l.starts_with(u"Сохраняем как: "); }),
              3);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), u"Сохраняем как: icon_A_B.ico"),
              log.lines.end());
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), u"Сохраняем как: icon_A_B_2.ico"),
              log.lines.end());
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), u"Сохраняем как: icon_a_b_3.ico"),
              log.lines.end());
  }
  // Three files, each with its own group's image: 40 bytes of the group's
  // seed after a 22-byte head.
  std::uint8_t seed = 0;
  for (std::u16string name : {u"icon_A_B.ico", u"icon_A_B_2.ico", u"icon_a_b_3.ico"}) {
    const auto bytes = ReadFileBytes(out + name);
    ASSERT_TRUE(bytes && bytes->size() == 62) << ToUtf8(name);
    EXPECT_EQ((*bytes)[22], ++seed) << ToUtf8(name);
  }
  EXPECT_FALSE(FileExists(out + u"icon_A_B_4.ico"));
}

TEST_F(ExtractAll, ProgressIsRefreshedAfterTheFirstEveryFifthAndTheLastGroup) {
  std::vector<ResourceName> groups;
  for (std::uint32_t id = 1; id <= 7; ++id) groups.push_back(ResourceName::Id(id));
  Run(MakeModule(groups), dir.path());
  EXPECT_EQ(progress.events,
            (std::vector<std::string>{"range 0..7", "show", "refresh at 0", "refresh at 1",
                                      "refresh at 6", "refresh at 7", "hide"}));
  // Twice before the loop, once per refresh in it, once at the end; more
  // while a file is slow to be written.
  EXPECT_GE(host.messages_processed, 2 + 3 + 1);
}

TEST_F(ExtractAll, TextsAreReadWhenTheyAreUsed) {
  const std::u16string exe = MakeModule({ResourceName::Id(1), ResourceName::Id(2)});
  int saved_reads = 0;
  catalogue.on_read = [&](std::u16string_view entry) {
    if (entry == u"LangSaved" && ++saved_reads == 2) catalogue.Set(u"LangSaved", u"Saved:");
  };
  Run(exe, dir.path());
  EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), u"Сохранено: icon_1"), log.lines.end());
  EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), u"Saved: icon_2"), log.lines.end());
}

// A module whose lookups fail hard, as when memory runs out.
class FailingModule : public ResourceModule {
 public:
  std::vector<ResourceName> EnumerateNames(std::uint16_t) const override {
    return {ResourceName::Id(1), ResourceName::Id(2)};
  }
  ResourceData Lookup(std::uint16_t, const ResourceName&) const override { throw std::bad_alloc(); }
};

TEST_F(ExtractAll, AnEscapingErrorStillRunsTheClosingSteps) {
  const std::u16string exe = MakeModule({});
  host.open_module = [](std::u16string_view) {
    return OpenedModule{std::make_unique<FailingModule>(), 0};
  };
  EXPECT_THROW(Run(exe, dir.path()), std::bad_alloc);
  EXPECT_EQ(Lines(log.lines.end() - 4, log.lines.end()),
            (Lines{u"Извлечение 1/2: ID:1", u"Сохраняем как: icon_1.ico", u"", u"Готово!"}));
  EXPECT_FALSE(progress.visible);
  EXPECT_EQ(progress.events.back(), "hide");
}

// Files written behind the run come back in the order they were queued, a
// file that cannot be written among them, and each is there with its bytes.
TEST(QueuedWritesTest, OutcomesComeInQueueOrderAFailedWriteAmongThem) {
  testing::TempFolder dir;
  ASSERT_TRUE(ForceDirectories(dir.path() + u"\\taken.ico"));
  OutputFolder folder(dir.path() + u"\\");
  std::vector<std::u16string> order;
  {
    QueuedWrites writes(folder);
    EXPECT_FALSE(writes.Take(0));  // nothing queued
    for (std::uint8_t i = 0; i < 40; ++i)
      writes.Queue(i == 7 ? u"taken.ico" : u"f" + ToDecimalUnsigned(i) + u".ico", Bytes(100, i));
    while (auto outcome = writes.Take(10000)) {
      EXPECT_EQ(outcome->exists, outcome->file_name != u"taken.ico") << ToUtf8(outcome->file_name);
      EXPECT_EQ(outcome->error.has_value(), outcome->file_name == u"taken.ico");
      order.push_back(outcome->file_name);
    }
  }
  ASSERT_EQ(order.size(), 40u);
  EXPECT_EQ(order[7], u"taken.ico");
  EXPECT_EQ(order[39], u"f39.ico");
  EXPECT_EQ(ReadFileBytes(dir.path() + u"\\f39.ico"), Bytes(100, 39));
}

}  // namespace
}  // namespace zandrel::icons
