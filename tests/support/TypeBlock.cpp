#include "support/TypeBlock.h"

#include <cstring>

namespace test_support {

std::string EngineString(const std::u16string& text)
{
    std::string bytes = "(\xFE\xFF";
    for (char16_t unit : text) {
        for (char byte : {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)}) {
            if (byte == '(' || byte == ')' || byte == '\\')
                bytes += '\\';
            bytes += byte;
        }
    }
    return bytes + ")";
}

Bytes EngineText::Build() const
{
    std::string lengths, runArray, paragraphLengths, paragraphArray;
    for (const auto& run : runs) {
        lengths += std::to_string(run.first) + " ";
        runArray += "<< /StyleSheet << /StyleSheetData << " + run.second + " >> >> >>\n";
    }
    for (const auto& paragraph : paragraphs) {
        paragraphLengths += std::to_string(paragraph.first) + " ";
        paragraphArray += "<< /ParagraphSheet << /DefaultStyleSheet " +
                          std::to_string(paragraphStyleSheet) + " /Properties << " +
                          paragraph.second + " >> >> >>\n";
    }
    std::string fontSet, styleSheetSet;
    for (const std::u16string& font : fonts)
        fontSet += "<< /Name " + EngineString(font) + " /Script 0 /FontType 1 /Synthetic 0 >>\n";
    for (const std::string& sheet : styleSheets)
        styleSheetSet +=
            "<< /Name " + EngineString(u"Normal RGB") + " /StyleSheetData << " + sheet + " >> >>\n";
    const std::string text =
        "\n\n<<\n\t/EngineDict\n\t<<\n\t\t/Editor << /Text " + EngineString(this->text + u"\r") +
        " >>\n\t\t/ParagraphRun\n\t\t<<\n\t\t\t/RunArray [\n" + paragraphArray +
        "]\n\t\t\t/RunLengthArray [ " + paragraphLengths +
        "]\n\t\t\t/IsJoinable 1\n\t\t>>\n\t\t/StyleRun\n\t\t<<\n"
        "\t\t\t/DefaultRunData << /StyleSheet << /StyleSheetData << " +
        defaultRun + " >> >> >>\n\t\t\t/RunArray [\n" + runArray + "]\n\t\t\t/RunLengthArray [ " +
        lengths + "]\n\t\t\t/IsJoinable 2\n\t\t>>\n\t\t/AntiAlias " + std::to_string(antiAlias) +
        "\n\t\t/Rendered << /Version 1 /Shapes << /WritingDirection " +
        std::to_string(writingDirection) + " /Children [ ] >> >>\n\t>>\n\t/ResourceDict\n\t<<\n" +
        "\t\t/TheNormalStyleSheet 0\n\t\t/TheNormalParagraphSheet 0\n\t\t/StyleSheetSet [\n" +
        styleSheetSet + "]\n\t\t/FontSet [\n" + fontSet + "]\n\t\t/SmallCapSize .7\n\t>>\n>>";
    return Bytes(text.begin(), text.end());
}

Bytes TypeBlock::TextSettings() const
{
    DescriptorWriter settings("TxLr");
    settings.Text("Txt ", text).Enum("textGridding", "textGridding", "None");
    if (!orientation.empty())
        settings.Enum("Ornt", "Ornt", orientation);
    if (!antiAlias.empty())
        settings.Enum("AntA", "Annt", antiAlias);
    settings.Raw("EngineData", engineData);
    return settings.Versioned();
}

Bytes TypeBlock::Build() const
{
    ByteWriter block;
    block.U16(version);
    for (double value : transform) {
        uint64_t bits = 0;
        memcpy(&bits, &value, sizeof bits);
        block.U64(bits);
    }
    block.U16(textVersion).Append(TextSettings()).U16(warpVersion);
    block.Append(DescriptorWriter("warp")
                     .Enum("warpStyle", "warpStyle", warpStyle)
                     .Double("warpValue", 0)
                     .Enum("warpRotate", "Ornt", "Hrzn")
                     .Versioned());
    for (int32_t bound : bounds)
        block.I32(bound);
    return block.Data();
}

}  // namespace test_support
