// Writes the seed corpora of the fuzz targets and their regression inputs:
//   fuzz_seeds OUTDIR
// makes OUTDIR/seeds/<target>/ and OUTDIR/regressions/<target>/. Every input
// is made here or by code of the test support, so each has its generator in
// the repository; tools/fuzz/run.sh adds Wine's modules and the program's
// window definitions as further seeds.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "icons/resource_module.h"
#include "tests/support/hostile_modules.h"
#include "tests/support/icon_files.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/ne_builder.h"
#include "tests/support/pe_builder.h"
#include "tests/support/zip_builder.h"

using namespace zandrel;
namespace fs = std::filesystem;

namespace {

fs::path g_out;

void Write(const std::string& kind, const std::string& target, const std::string& name,
           ByteView bytes) {
  const fs::path dir = g_out / kind / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
void Write(const std::string& kind, const std::string& target, const std::string& name,
           const std::string& text) {
  Write(kind, target, name, ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

Bytes Le16(std::uint16_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}

// group_sizes and ico_assembly read: a count of images, a group, then the
// images (each with its size, and for ico_assembly its identifier first).
Bytes GroupInput(bool with_ids) {
  const Bytes group = testing::MakeGroupDirectory({testing::MakeGroupEntry(0, 0, 32, 0, 1),
                                                   testing::MakeGroupEntry(16, 16, 8, 0, 2)});
  Bytes in{2};
  auto append = [&](const Bytes& b) { in.insert(in.end(), b.begin(), b.end()); };
  append(Le16(static_cast<std::uint16_t>(group.size())));
  append(group);
  const Bytes images[] = {testing::MakePngImage(48, 48), testing::MakeDibIconImage(16, 16)};
  for (std::uint16_t i = 0; i < 2; ++i) {
    if (with_ids) append(Le16(static_cast<std::uint16_t>(i + 1)));
    append(Le16(static_cast<std::uint16_t>(images[i].size())));
    if (!with_ids) append(Le16(static_cast<std::uint16_t>(i + 1)));
    append(images[i]);
  }
  return in;
}

// UTF-16 LE units of an ASCII or UTF-8 text, as fuzz::Input::Text reads them.
std::string Utf16(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text)
    out += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

std::string Text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  g_out = argv[1];

  // PE reader: small modules of every kind, and the crafted ones.
  testing::PeBuilder pe;
  pe.AddIconGroup(icons::ResourceName::Text(u"MAINICON"),
                  {{testing::MakeDibIconImage(16, 16), 16, 16, 32},
                   {testing::MakePngImage(256, 256), 0, 0, 32}});
  pe.AddIconGroup(icons::ResourceName::Id(7), {{testing::MakeDibIconImage(32, 32, 1), 32, 32, 32}});
  Write("seeds", "pe_reader", "pe32.dll", pe.Build());
  testing::PeBuilder pe64(testing::PeMachine::kAmd64);
  pe64.AddIconGroup(icons::ResourceName::Id(1), {{testing::MakeDibIconImage(16, 16, 2), 16, 16, 32}});
  Write("seeds", "pe_reader", "pe32plus.dll", pe64.Build());
  for (const auto& m : {testing::SharedNamesDirectory(40), testing::OverlappingLanguageDirectories(40),
                        testing::SharedPngDirectory(20, 20), testing::RepeatedLargeImage(20, 2000),
                        testing::SameOutputName(40)})
    Write("seeds", "pe_reader", m.name + ".dll", m.bytes);
  // The regression inputs: each crafted module at the size that once cost
  // seconds to minutes or gigabytes.
  for (const auto& m : testing::AllHostileModules())
    Write("regressions", "pe_reader", m.name + ".dll", m.bytes);

  // The other containers: a 16-bit module with icon and cursor groups,
  // .ico and .cur files, an .ani file; the crafted ones as regressions.
  const std::vector<testing::IconFileImage> cursor_images = {
      {testing::MakeDibIconImage(16, 16, 3), 16, 16, 32, 2, 3}};
  testing::NeBuilder ne(4);
  ne.AddIconGroup(icons::ResourceName::Text(u"MAIN"), {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
  ne.AddIconGroup(icons::ResourceName::Id(2), {{testing::MakeBmpIconImage(32, 4, 1), 32, 32, 4}});
  for (const auto& r : testing::CursorGroupResources(icons::ResourceName::Id(5), cursor_images, 9))
    ne.Add(r.type, r.name, r.bytes);
  Write("seeds", "ne_reader", "module.exe", ne.Build());
  const Bytes ico = testing::MakeIconFile({{testing::MakeDibIconImage(16, 16, 4), 16, 16, 32},
                                           {testing::MakePngImage(48, 48), 48, 48, 32}});
  const Bytes cur = testing::MakeCursorFile(cursor_images);
  Write("seeds", "icon_file", "two.ico", ico);
  Write("seeds", "icon_file", "one.cur", cur);
  testing::AniSpec ani;
  ani.frames = {cur, testing::MakeCursorFile({{testing::MakeDibIconImage(16, 16, 5), 16, 16, 32, 1, 1}})};
  ani.rates = {5, 10};
  ani.sequence = {1, 0};
  Write("seeds", "ani_file", "two-frames.ani", testing::MakeAniFile(ani));
  Write("regressions", "ani_file", "frame-claiming-4gb.ani", testing::AniFrameClaiming4Gb().bytes);
  Write("regressions", "ne_reader", "looping-table.exe", testing::LoopingNeTable(4, 200, 400, 4000).bytes);
  Write("regressions", "icon_file", "claiming-65535.ico", testing::IcoClaiming65535Images(4000).bytes);

  Write("seeds", "group_sizes", "two-images", GroupInput(false));
  for (const std::uint32_t side : {1u, 16u, 33u})
    Write("seeds", "icon_bitmap", "dib32-" + std::to_string(side), testing::MakeDibIconImage(side, side));
  Write("seeds", "ico_assembly", "two-images", GroupInput(true));
  // Each name: its length in units, then UTF-16 LE units.
  std::string names;
  for (const std::string name : {"ID:1", "A?B", "A*B", "a?b", "ID:x/y"}) {
    names += static_cast<char>(name.size());
    for (char c : name) names += std::string{c, '\0'};
  }
  Write("seeds", "output_names", "names", names);

  Write("seeds", "shortcut_scan", "ansi.lnk",
        std::string("L\0\0\0\x01\x14\x02\0", 8) + std::string(60, '\0') + "C:\\Windows\\notepad.exe");
  std::string wide = std::string("L\0\0\0", 4) + std::string(40, '\0');
  for (char c : std::string("D:\\Tools\\app.dll")) wide += std::string{c, '\0'};
  Write("seeds", "shortcut_scan", "wide.lnk", wide);

  const std::string ini = "[Option]\r\nCheckBoxSavePath=1\r\nEditPathExtract=C:\\out\r\n; note\r\n";
  Write("seeds", "ini_document", "ansi.ini", ini);
  Write("seeds", "ini_document", "utf8.ini", "\xEF\xBB\xBF[Zandrel]\nForm1.Caption=\xD0\x9E\n");
  // UTF-8 without a mark, as Notepad saves it.
  const std::string notepad =
      "[Zandrel]\r\nForm1.LangSuccessfully.Caption=\" \xE2\x9C\x93 Done\"\r\n";
  for (const char* target : {"ini_document", "language_file", "language_cleanup"})
    Write("seeds", target, "notepad.ini", notepad);
  std::string utf16le = "\xFF\xFE";
  for (char c : ini) utf16le += std::string{c, '\0'};
  Write("seeds", "ini_document", "utf16le.ini", utf16le);
  std::string utf16be = "\xFE\xFF";
  for (char c : ini) utf16be += std::string{'\0', c};
  Write("seeds", "ini_document", "utf16be.ini", utf16be);

  const std::string language =
      "\xEF\xBB\xBF; notes\r\n[Language information]\r\nLANGNAME=English\r\n\r\n[Zandrel]\r\n"
      "Form1.ButtonBrowse.Caption = Browse...\r\nform1.buttonbrowse.caption=Again\r\n"
      "Form1.A.Caption=a=b\r\nForm1.ListViewIcons.Columns[0].Caption=Icon\r\n"
      "Form1.TabControlTitle.Tabs [1]=Tab\r\nForm10.Caption=Update\r\nForm9.X.Caption=stale\r\n"
      "NoDot=1\r\nbare line\r\n[DestDir]\r\nx=y\r\n[zandrel]\r\nForm1.A.Caption=repeated\r\n";
  for (const char* target : {"language_file", "language_cleanup"})
    Write("seeds", target, "english.ini", language);
  Write("seeds", "translation", "window",
        language + std::string(1, '\0') + "Update\nОбзор\n-\nИконка\n42\n\nТекст");

  Write("seeds", "version_text", "values",
        std::string("\x04\x09\x04\xE4\x04\x10\xBD\x04\xEF\xFE\0\0\x01\0", 14) +
            std::string("1\0.\0" "2\0,\0 \0" "3\0", 12));

  // The update check and download.
  Write("seeds", "version_answer", "answer", std::string("\x07") + "1.0.0.0" + "1.2.3.4\r\n");
  Write("seeds", "version_answer", "bom", std::string("\x03") + "1.9" + "\xEF\xBB\xBF 1.10 \t\n");
  Write("seeds", "url_encoding", "url",
        Utf16(u"http://host:8080/download/Zandrel/Zandrel Test%20x%zz#1+2[3]/Я.zip?a=b&c"));
  const auto script = [](const std::u16string& folder, const std::u16string& exe,
                         const std::u16string& zip) {
    return static_cast<char>(folder.size()) + Utf16(folder) + static_cast<char>(exe.size()) +
           Utf16(exe) + static_cast<char>(zip.size()) + Utf16(zip);
  };
  Write("seeds", "update_script", "plain",
        script(u"C:\\Tools\\Zandrel", u"Zandrel.exe", u"Zandrel.zip"));
  Write("seeds", "update_script", "odd",
        script(u"D:\\100% sure\\it's\\", u"Z%PATH%.exe", u"it\u2019s 'x'.zip"));
  const Bytes archive = testing::MakeZip(
      {{"Zandrel.exe", "MZ"}, {"Language/", ""}, {"Language/English.ini", "[Zandrel]"}});
  Write("seeds", "archive_check", "release", std::string("\x14") + Text(archive));
  Write(
      "seeds", "archive_check", "climbing",
      std::string("\x14") + Text(testing::MakeZip({{"..\\evil.txt", "x"}, {"C:\\evil.txt", "y"}})));
  Write("seeds", "archive_check", "devices",
        std::string("\x14") +
            Text(testing::MakeZip({{"a/NUL.txt", ""}, {"COM1", ""}, {"\\\\s\\x", ""}})));
  std::string signature(64, '\x5A');
  signature[0] = '\x7F';
  Write("seeds", "signature_file", "raw", signature);
  Write("seeds", "signature_file", "key",
        Utf16(u"273f9c517c439b5b17fa39112d406f8254192689d504fa8e2d3f5a8727cde8d8"
              u"9A155F88CD95ED32FE6335BFCD1997EF021E2C5A1961CE6BB2C3C97927E52B4D"));

  Write("seeds", "definitions", "small.form",
        "Form F : TF { Caption = \"x\"; Button B { OnClick = H } }\n");
  Write("regressions", "definitions", "deep.form", testing::DeeplyNestedDefinition(5000));
  return 0;
}
