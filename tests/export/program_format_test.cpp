// The fragments of the program format, byte for byte, the numbers that enter
// them, and the export's own reading of play-list lines.
#include <gtest/gtest.h>

#include "export/program_writer.h"
#include "platform/text.h"

using namespace program_format;

TEST(ProgramFormat, Header) {
    EXPECT_EQ(Header(), "<medit>\r\n"
                        "\t<format data=\"2\"/>\r\n"
                        "</medit>\r\n"
                        "\r\n"
                        "<medit>\r\n"
                        "\t<block name=\"\" type=\"3\" xpos=\"75\" ypos=\"3\" bluearrow=\"6\" "
                        "redarrow=\"0\"/>\r\n"
                        "</medit>\r\n");
}

TEST(ProgramFormat, SoundBlock) {
    EXPECT_EQ(SoundBlock(101), "\r\n"
                               "<medit>\r\n"
                               "\t<block name=\"SOUND ID 101\" type=\"6\" xpos=\"184\" "
                               "ypos=\"101\" bluearrow=\"6\" redarrow=\"6\"/>\r\n"
                               "</medit>\r\n");
    EXPECT_NE(SoundBlock(-3).find("\"SOUND ID -3\""), std::string::npos);
    EXPECT_NE(SoundBlock(0).find("\"SOUND ID 0\""), std::string::npos);
}

TEST(ProgramFormat, PlayClipKeepsThePathBytes) {
    EXPECT_EQ(PlayClip("Ninshiki\\NF02.wav"), "<mem_w size=\"2\" adr=\"0x0b00\">0x0064</mem_w>\r\n"
                                              "<wait size=\"1\" adr=\"0x0b43\"/>\r\n"
                                              "<play filename=\"voice\\Ninshiki\\NF02.wav\"/>\r\n");
    // 表 (95 5C) keeps its second byte; nothing is converted.
    EXPECT_NE(PlayClip("\x95\x5C\x8E\xA6.wav").find("\"voice\\\x95\x5C\x8E\xA6.wav\""),
              std::string::npos);
}

TEST(ProgramFormat, LipHead) {
    EXPECT_EQ(LipHead(25), "<medit>\r\n"
                           "\t<block name=\"\x8C\xFB\x83\x70\x83\x4E\" type=\"0\" xpos=\"706\" "
                           "ypos=\"462\" bluearrow=\"6\" redarrow=\"6\"/>\r\n"
                           "</medit>\r\n"
                           "<calc>\r\n"
                           "\t<const data=\"25\"/>\r\n"
                           "\t<mem_w size=\"2\" adr=\"0x0f06\"/>\r\n"
                           "</calc>\r\n");
    EXPECT_EQ(kLipBlockName, platform::Utf8ToCp932("口パク"));
    EXPECT_EQ(kLipBlockName.size(), 6u);
}

TEST(ProgramFormat, CopyAndMouth) {
    EXPECT_EQ(Copy(), "<calc>\r\n"
                      "\t<mem_r size=\"2\" adr=\"0x0f06\"/>\r\n"
                      "\t<mem_w size=\"2\" adr=\"0x0b00\"/>\r\n"
                      "</calc>\r\n");
    EXPECT_EQ(Mouth50(), "<calc>\r\n"
                         "\t<const data=\"50\"/>\r\n"
                         "\t<mem_w size=\"2\" adr=\"0x0a8c\"/>\r\n"
                         "</calc>\r\n"
                         "<wait size=\"1\" adr=\"0x0b43\"/>\r\n");
    EXPECT_EQ(Mouth0(), "<calc>\r\n"
                        "\t<const data=\"0\"/>\r\n"
                        "\t<mem_w size=\"2\" adr=\"0x0a8c\"/>\r\n"
                        "</calc>\r\n"
                        "<wait size=\"1\" adr=\"0x0b43\"/>\r\n");
}

TEST(ProgramFormat, PauseAndTrailer) {
    // The pause block's line has no indent; the fragment ends with an empty line.
    EXPECT_EQ(Pause(150), "<medit>\r\n"
                          "<block name=\"\" type=\"10\" xpos=\"11\" ypos=\"82\" bluearrow=\"6\" "
                          "redarrow=\"6\"/>\r\n"
                          "</medit>\r\n"
                          "<wait data=\"150\"/>\r\n"
                          "\r\n");
    EXPECT_EQ(Trailer(), "<wait size=\"1\" adr=\"0x0b43\"/>\r\n");
}

TEST(ProgramFormat, StepAndGroups) {
    EXPECT_EQ(LipStep(1000), 1000);
    EXPECT_EQ(LipStep(2000), 2000);
    EXPECT_EQ(LipStep(0), 1000);
    EXPECT_EQ(LipStep(-5), 1000);
    EXPECT_EQ(MouthGroups(3000, 1000), 3);
    EXPECT_EQ(MouthGroups(3000, 2000), 1);
    EXPECT_EQ(MouthGroups(3000, 1500), 2);
    EXPECT_EQ(MouthGroups(999, 1000), 0);
    EXPECT_EQ(MouthGroups(0, 1000), 0);
    EXPECT_EQ(MouthGroups(-3000, 1000), 0);
    EXPECT_EQ(MouthGroups(3000, 0), 3); // S <= 0 counts as 1000
}

TEST(ProgramFormat, ClipSequenceOrder) {
    const std::string copy = Copy();
    const std::string group = Mouth50() + copy + Mouth0() + copy;
    EXPECT_EQ(ClipSequence("a.wav", 7, 3000, 1000, 1000), SoundBlock(7) + PlayClip("a.wav") +
                                                              LipHead(25) + copy + group + group +
                                                              group + Pause(50));
    EXPECT_EQ(ClipSequence("a.wav", 7, 3000, 0, 2000),
              SoundBlock(7) + PlayClip("a.wav") + LipHead(50) + copy + group);
    EXPECT_EQ(ClipSequence("a.wav", 7, 0, -20, 1000),
              SoundBlock(7) + PlayClip("a.wav") + LipHead(25) + copy);
    // A pause below one tick still writes PAUSE(0).
    EXPECT_EQ(ClipSequence("a.wav", 7, 0, 19, 1000),
              SoundBlock(7) + PlayClip("a.wav") + LipHead(25) + copy + Pause(0));
}

TEST(ExportPlayListLine, LetterPrefixIsSkipped) {
    auto line = ParseExportPlayListLine("a:,12,3\n");
    EXPECT_FALSE(line.skip);
    EXPECT_EQ(line.id, 12);
    EXPECT_TRUE(line.hasComma);
    EXPECT_EQ(line.pauseSeconds, 3);
    EXPECT_EQ(line.idText, "12");
    line = ParseExportPlayListLine("Z:,7");
    EXPECT_EQ(line.id, 7);
    EXPECT_FALSE(line.hasComma);
    EXPECT_EQ(line.idText, "7");
}

TEST(ExportPlayListLine, DigitPrefixIsReadFromTheStart) {
    const auto line = ParseExportPlayListLine("2:,102\n");
    EXPECT_FALSE(line.skip);
    EXPECT_EQ(line.id, 2);
    EXPECT_TRUE(line.hasComma);
    EXPECT_EQ(line.pauseSeconds, 102);
    EXPECT_EQ(line.idText, "2:");
}

TEST(ExportPlayListLine, SemicolonMeansNothing) {
    const auto line = ParseExportPlayListLine("99;memo,4\n");
    EXPECT_EQ(line.id, 99);
    EXPECT_EQ(line.pauseSeconds, 4);
    EXPECT_EQ(line.idText, "99;memo");
    EXPECT_EQ(ParseExportPlayListLine("103;x\n").idText, "103;x");
}

TEST(ExportPlayListLine, SkippedLines) {
    for (const char* row : {"", "\n", ",5\n", "x12\n", "# 1\n", ":,1\n", "1:2\n"}) {
        const auto line = ParseExportPlayListLine(row);
        if (std::string_view(row) == "1:2\n") {
            EXPECT_FALSE(line.skip); // starts with a digit: id 1
            EXPECT_EQ(line.id, 1);
            continue;
        }
        EXPECT_TRUE(line.skip) << row;
    }
    // A letter prefix needs both the colon and the comma.
    EXPECT_TRUE(ParseExportPlayListLine("a:12\n").skip);
    EXPECT_TRUE(ParseExportPlayListLine("a,12\n").skip);
    EXPECT_TRUE(ParseExportPlayListLine("a:, 12\n").skip); // a blank is not a digit
    // Bytes above 0x7F are no Latin letters.
    EXPECT_TRUE(ParseExportPlayListLine("\x82\xA0:,12\n").skip);
}

TEST(ExportPlayListLine, PauseNumberAsAtoiReadsIt) {
    EXPECT_EQ(ParseExportPlayListLine("5, 2\n").pauseSeconds, 2);
    EXPECT_EQ(ParseExportPlayListLine("5,-2\n").pauseSeconds, -2);
    EXPECT_EQ(ParseExportPlayListLine("5,x\n").pauseSeconds, 0);
    EXPECT_TRUE(ParseExportPlayListLine("5,x\n").hasComma);
    EXPECT_EQ(ParseExportPlayListLine("0,5\n").id, 0);
    EXPECT_EQ(ParseExportPlayListLine("007\n").id, 7);
}
