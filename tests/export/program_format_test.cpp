// The fragments of the program format, byte for byte, the numbers that enter
// them, and the export's own reading of play-list lines.
#include <gtest/gtest.h>

#include "export/program_writer.h"

using namespace program_format;

TEST(ProgramFormat, Fragments) {
    EXPECT_EQ(Header(), "<medit>\r\n"
                        "\t<format data=\"2\"/>\r\n"
                        "</medit>\r\n"
                        "\r\n"
                        "<medit>\r\n"
                        "\t<block name=\"\" type=\"3\" xpos=\"75\" ypos=\"3\" bluearrow=\"6\" "
                        "redarrow=\"0\"/>\r\n"
                        "</medit>\r\n");
    EXPECT_EQ(SoundBlock(101), "\r\n"
                               "<medit>\r\n"
                               "\t<block name=\"SOUND ID 101\" type=\"6\" xpos=\"184\" "
                               "ypos=\"101\" bluearrow=\"6\" redarrow=\"6\"/>\r\n"
                               "</medit>\r\n");
    EXPECT_NE(SoundBlock(-3).find("\"SOUND ID -3\""), std::string::npos);
    EXPECT_NE(SoundBlock(0).find("\"SOUND ID 0\""), std::string::npos);
    EXPECT_EQ(PlayClip("Ninshiki\\NF02.wav"), "<mem_w size=\"2\" adr=\"0x0b00\">0x0064</mem_w>\r\n"
                                              "<wait size=\"1\" adr=\"0x0b43\"/>\r\n"
                                              "<play filename=\"voice\\Ninshiki\\NF02.wav\"/>\r\n");
    // 表 (95 5C) keeps its second byte; nothing is converted.
    EXPECT_NE(PlayClip("\x95\x5C\x8E\xA6.wav").find("\"voice\\\x95\x5C\x8E\xA6.wav\""),
              std::string::npos);
    EXPECT_EQ(LipHead(25), "<medit>\r\n"
                           "\t<block name=\"\x8C\xFB\x83\x70\x83\x4E\" type=\"0\" xpos=\"706\" "
                           "ypos=\"462\" bluearrow=\"6\" redarrow=\"6\"/>\r\n"
                           "</medit>\r\n"
                           "<calc>\r\n"
                           "\t<const data=\"25\"/>\r\n"
                           "\t<mem_w size=\"2\" adr=\"0x0f06\"/>\r\n"
                           "</calc>\r\n");
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
    for (const auto& [interval, step] :
         {std::pair{1000, 1000}, {2000, 2000}, {0, 1000}, {-5, 1000}})
        EXPECT_EQ(LipStep(interval), step) << interval;
    // {length in ms, remote interval, groups}; an interval of 0 or below counts as 1000.
    const int groups[][3] = {{3000, 1000, 3}, {3000, 2000, 1},  {3000, 1500, 2}, {999, 1000, 0},
                             {0, 1000, 0},    {-3000, 1000, 0}, {3000, 0, 3}};
    for (const auto& g : groups)
        EXPECT_EQ(MouthGroups(g[0], g[1]), g[2]) << g[0] << " " << g[1];
}

TEST(ProgramFormat, ClipSequenceOrder) {
    const std::string head = SoundBlock(7) + PlayClip("a.wav");
    const std::string group = Mouth50() + Copy() + Mouth0() + Copy();
    EXPECT_EQ(ClipSequence("a.wav", 7, 3000, 1000, 1000),
              head + LipHead(25) + Copy() + group + group + group + Pause(50));
    EXPECT_EQ(ClipSequence("a.wav", 7, 3000, 0, 2000), head + LipHead(50) + Copy() + group);
    EXPECT_EQ(ClipSequence("a.wav", 7, 0, -20, 1000), head + LipHead(25) + Copy());
    // A pause below one tick still writes PAUSE(0).
    EXPECT_EQ(ClipSequence("a.wav", 7, 0, 19, 1000), head + LipHead(25) + Copy() + Pause(0));
}

TEST(ExportPlayListLine, Rows) {
    // "id,pause [id text]" when a comma follows, "id pause [id text]" when not.
    auto read = [](std::string_view row) {
        const auto line = ParseExportPlayListLine(row);
        return line.skip ? std::string("skip")
                         : std::to_string(line.id) + (line.hasComma ? "," : " ") +
                               std::to_string(line.pauseSeconds) + " [" + line.idText + "]";
    };
    const std::pair<std::string, std::string> rows[] = {
        {"a:,12,3\n", "12,3 [12]"}, // a letter prefix is skipped
        {"Z:,7", "7 0 [7]"},
        {"2:,102\n", "2,102 [2:]"}, // a digit prefix is read from the start
        {"1:2\n", "1 0 [1:2]"},
        {"99;memo,4\n", "99,4 [99;memo]"}, // ';' means nothing
        {"103;x\n", "103 0 [103;x]"},
        {"5, 2\n", "5,2 [5]"}, // the pause as atoi reads it
        {"5,-2\n", "5,-2 [5]"},
        {"5,x\n", "5,0 [5]"},
        {"0,5\n", "0,5 [0]"},
        {"007\n", "7 0 [007]"},
        {"", "skip"},
        {"\n", "skip"},
        {",5\n", "skip"},
        {"x12\n", "skip"},
        {"# 1\n", "skip"},
        {":,1\n", "skip"},
        {"a:12\n", "skip"}, // a letter prefix needs both the colon and the comma
        {"a,12\n", "skip"},
        {"a:, 12\n", "skip"},       // a blank is not a digit
        {"\x82\xA0:,12\n", "skip"}, // bytes above 0x7F are no Latin letters
    };
    for (const auto& [row, expected] : rows)
        EXPECT_EQ(read(row), expected) << row;
}
