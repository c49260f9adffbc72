#include "icons/output_names.h"

#include <gtest/gtest.h>

namespace zandrel::icons {
namespace {

TEST(OutputNames, TargetFolderOfExtractAll) {
  EXPECT_EQ(ExtractAllTargetFolder(u"C:\\Apps\\tool.exe", u"D:\\Out"), u"D:\\Out\\");
  EXPECT_EQ(ExtractAllTargetFolder(u"C:\\Apps\\tool.exe", u"D:\\Out\\"), u"D:\\Out\\");
  EXPECT_EQ(ExtractAllTargetFolder(u"C:\\Apps\\tool.exe", u"D:/Out/"), u"D:/Out/");
  // No output text: beside the source, with an underscore.
  EXPECT_EQ(ExtractAllTargetFolder(u"C:\\Apps\\tool.exe", u""), u"C:\\Apps\\Extracted_Icons\\");
  EXPECT_EQ(ExtractAllTargetFolder(u"tool.exe", u""), u"Extracted_Icons\\");
}

TEST(OutputNames, GroupFileNamesStayInsideTheTargetFolder) {
  EXPECT_EQ(GroupOutputFileName(u"ID:101"), u"icon_101.ico");
  EXPECT_EQ(GroupOutputFileName(u"MAINICON"), u"icon_MAINICON.ico");
  EXPECT_EQ(GroupOutputFileName(u"A:B"), u"icon_A_B.ico");
  EXPECT_EQ(GroupOutputFileName(u"\"*/:<>?\\|"), u"icon__________.ico");
  EXPECT_EQ(GroupOutputFileName(u"id:5"), u"icon_id_5.ico");
  // Everything else stays, control characters and non-Latin letters included.
  EXPECT_EQ(GroupOutputFileName(u"Ёж.x\u0001 -_'"), u"icon_Ёж.x\u0001 -_'.ico");
  // The rest of an "ID:" name cannot climb out of the folder either.
  EXPECT_EQ(GroupOutputFileName(u"ID:..\\..\\x"), u"icon_.._.._x.ico");
}

TEST(OutputNames, NamesWrittenInOneRunAreNotReused) {
  RunOutputNames names;
  EXPECT_EQ(names.Choose(u"icon_A_B.ico"), u"icon_A_B.ico");
  // Nothing written yet: choosing alone does not take the name.
  EXPECT_EQ(names.Choose(u"icon_A_B.ico"), u"icon_A_B.ico");
  names.MarkWritten(u"icon_A_B.ico");
  EXPECT_EQ(names.Choose(u"icon_A_B.ico"), u"icon_A_B_2.ico");
  EXPECT_EQ(names.Choose(u"ICON_a_b.ICO"), u"ICON_a_b_2.ICO");
  names.MarkWritten(u"icon_A_B_2.ico");
  EXPECT_EQ(names.Choose(u"icon_a_b.ico"), u"icon_a_b_3.ico");
  // A group whose own name is a suffixed one moves on as well.
  EXPECT_EQ(names.Choose(u"icon_A_B_2.ico"), u"icon_A_B_2_2.ico");
  EXPECT_EQ(names.Choose(u"icon_Ёж.ico"), u"icon_Ёж.ico");
  names.MarkWritten(u"icon_Ёж.ico");
  EXPECT_EQ(names.Choose(u"ICON_ЁЖ.ico"), u"ICON_ЁЖ_2.ico");
}

TEST(OutputNames, SaveDialogNames) {
  EXPECT_EQ(ProposedSaveFileName(u"C:\\Windows\\System32\\shell32.dll", 12), u"shell32_12.ico");
  EXPECT_EQ(ProposedSaveFileName(u"", 0), u"icon_0.ico");
  EXPECT_EQ(ProposedSaveFileName(u"C:\\Apps\\", 2), u"icon_2.ico");
  EXPECT_EQ(ProposedSaveFileName(u"D:\\setup.old.exe", 3), u"setup.old_3.ico");
  EXPECT_EQ(ProposedSaveFileName(u"D:\\v1.2\\tool", 1), u"tool_1.ico");
  EXPECT_EQ(ProposedSaveFileName(u"tool.exe", 4, u"*.png"), u"tool_4.png");

  EXPECT_EQ(CompleteSaveExtension(u"C:\\Icons\\myicon"), u"C:\\Icons\\myicon.ico");
  EXPECT_EQ(CompleteSaveExtension(u"C:\\Icons\\myicon.png"), u"C:\\Icons\\myicon.png");
  EXPECT_EQ(CompleteSaveExtension(u"C:\\Icons.v2\\myicon"), u"C:\\Icons.v2\\myicon.ico");
  EXPECT_EQ(CompleteSaveExtension(u"C:\\Icons\\myicon", u""), u"C:\\Icons\\myicon");
}

}  // namespace
}  // namespace zandrel::icons
