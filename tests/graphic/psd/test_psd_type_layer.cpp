// The text of type layers: the engine data's PostScript-like values, and the "TySh" block read
// into its characters, transform and style runs, merged with the document's style sheets.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "graphic/psd/PsdEngineData.h"
#include "graphic/psd/PsdTypeLayer.h"
#include "support/ErrorTag.h"
#include "support/TypeBlock.h"

namespace {

using namespace std::string_literals;
using sdk::graphic::PsdEngineValue;
using sdk::graphic::PsdTypeLayer;
using test_support::Bytes;
using test_support::EngineString;
using test_support::EngineText;
using test_support::TypeBlock;

PsdEngineValue Engine(const std::string& text)
{
    return sdk::graphic::ReadPsdEngineData(reinterpret_cast<const uint8_t*>(text.data()),
                                           text.size());
}

std::string EngineTag(const std::string& text)
{
    return test_support::TagOf([&] { Engine(text); });
}

PsdTypeLayer Read(const Bytes& block)
{
    return sdk::graphic::ReadPsdTypeLayer(block.data(), block.size());
}

std::string Tag(const Bytes& block)
{
    return test_support::TagOf([&] { Read(block); });
}

// A block of text with one paragraph and the given runs over the document's usual sheets.
TypeBlock Block(const std::u16string& text,
                const std::vector<std::pair<int32_t, std::string>>& runs)
{
    EngineText engine;
    engine.text = text;
    engine.paragraphs = {{static_cast<int32_t>(text.size() + 1), "/Justification 2"}};
    engine.runs = runs;
    TypeBlock block;
    block.text = text;
    block.engineData = engine.Build();
    return block;
}

TEST(PsdEngineData, ReadsEveryKindOfValueInOrder)
{
    const PsdEngineValue value = Engine(
        "\n\n<<\n\t/Int 12 /Neg -1.25 /Half .5 /Hundredth 0.01 /Yes true /No false\n"
        "\t/Kind /Horizontal /List [ 1 [ ] <<>> ] /Tag (hwid) /Inner << /Deeper << /X 7 >> >>"
        "/Empty()\n>>\0\0"s);
    EXPECT_EQ(PsdEngineValue::Type::Dictionary, value.type);
    ASSERT_EQ(11u, value.items.size());
    EXPECT_EQ("Int", value.items[0].key);
    EXPECT_EQ("Empty", value.items[10].key);
    EXPECT_EQ(12, value.Number("Int", 0));
    EXPECT_EQ(-1.25, value.Number("Neg", 0));
    EXPECT_EQ(0.5, value.Number("Half", 0));
    EXPECT_EQ(0.01, value.Number("Hundredth", 0));
    EXPECT_TRUE(value.Bool("Yes", false));
    EXPECT_FALSE(value.Bool("No", true));
    EXPECT_EQ("Horizontal", value.Find("Kind")->name);
    ASSERT_EQ(3u, value.Find("List")->items.size());
    EXPECT_EQ(PsdEngineValue::Type::Array, value.Find("List")->At(1)->type);
    EXPECT_EQ(PsdEngineValue::Type::Dictionary, value.Find("List")->At(2)->type);
    EXPECT_EQ(nullptr, value.Find("List")->At(3));
    EXPECT_EQ(u"hwid", value.Find("Tag")->text);
    EXPECT_EQ(7, value.Find({"Inner", "Deeper"})->Number("X", 0));
    EXPECT_EQ(nullptr, value.Find({"Inner", "Missing", "X"}));
    EXPECT_EQ(u"", value.Find("Empty")->text);
}

TEST(PsdEngineData, StringsAreUtf16WithTheirEscapes)
{
    // "(", ")" and "\" escaped, whole units among them (U+5C71's first byte is "\"); line ends
    // kept as the bytes they are; the PostScript escapes of control bytes.
    const std::u16string text = u"a(b)c\\\u5C71\r\n\u3042";
    const PsdEngineValue value = Engine("<< /S " + EngineString(text) + " /T (\xFE\xFF\\0\\n) >>");
    EXPECT_EQ(text, value.Find("S")->text);
    EXPECT_EQ(std::u16string(1, u'0' << 8 | u'\n'), value.Find("T")->text);
}

TEST(PsdEngineData, MalformedTextRaisesItsTag)
{
    const std::string malformed = "ImageLoaderPSD::TypeLayer:530";
    for (const std::string& text :
         std::vector<std::string>{"", "<< /A 1", "<< /A 1 >> >>", "<< /A [ 1 >>", "<< /A 1 ]",
                                  "[ 1 2 >>", "<< 1 2 >>", "<< / 1 >>", "<< /A tru >>",
                                  "<< /A 1.2.3 >>", "<< /A - >>", "<< /A (\xFE\xFF\x00) >>"s,
                                  "<< /A (open >>", "<< /A (\\", "<< /A < >>", "<< /A 1 >> /B"})
        EXPECT_EQ(malformed, EngineTag(text)) << text;

    // Nested without end; as deep as the bound is still read.
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:535",
              EngineTag(std::string(65, '[') + std::string(65, ']')));
    EXPECT_EQ("no error", EngineTag(std::string(64, '[') + std::string(64, ']')));
    // More values than any text has.
    std::string many = "[";
    for (size_t i = 0; i < sdk::graphic::kPsdEngineDataMostValues; ++i)
        many += "1 ";
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:540", EngineTag(many + "]"));
}

TEST(PsdTypeLayer, ReadsTheTextTransformAndStyleRuns)
{
    // Two paragraphs; the second run ends with the text, not with the engine's closing "\r".
    TypeBlock block =
        Block(u"Hello\rWorld", {{6, "/Font 1 /FontSize 10.0 /FauxBold true"},
                                {6,
                                 "/Tracking 50 /AutoLeading false /Leading 14.0 "
                                 "/FillColor << /Type 1 /Values [ .5 1.0 0.0 .2 ] >>"}});
    const double transform[6] = {2, 0, 0, 2, 30.5, 40.25};
    std::copy(transform, transform + 6, block.transform);
    const PsdTypeLayer layer = Read(block.Build());
    EXPECT_EQ(u"Hello\rWorld", layer.text);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(transform[i], layer.transform[i]);
    EXPECT_EQ("center", layer.justification);
    EXPECT_EQ("horizontal", layer.orientation);
    EXPECT_EQ("smooth", layer.antiAlias);
    EXPECT_EQ("warpNone", layer.warpStyle);
    EXPECT_EQ(30, layer.bounds[2]);
    ASSERT_EQ(2u, layer.styles.size());
    const sdk::graphic::PsdTextStyle& first = layer.styles[0];
    EXPECT_EQ(0, first.start);
    EXPECT_EQ(6, first.length);
    EXPECT_EQ(u"MyriadPro-Regular", first.font);
    EXPECT_EQ(20, first.size);  // 10 at twice the size
    EXPECT_TRUE(first.fauxBold);
    EXPECT_TRUE(first.autoLeading);
    // The rest from the normal style sheet.
    const sdk::graphic::PsdTextStyle& second = layer.styles[1];
    EXPECT_EQ(6, second.start);
    EXPECT_EQ(5, second.length);
    EXPECT_EQ(u"ArialMT", second.font);
    EXPECT_EQ(24, second.size);
    EXPECT_EQ(50, second.tracking);
    EXPECT_FALSE(second.autoLeading);
    EXPECT_EQ(28, second.leading);
    ASSERT_TRUE(second.hasColor);
    EXPECT_EQ(255, second.color[0]);
    EXPECT_EQ(0, second.color[1]);
    EXPECT_EQ(51, second.color[2]);
    EXPECT_EQ(128, second.color[3]);
    EXPECT_EQ(0, first.color[0]);  // black from the normal sheet
    EXPECT_EQ(255, first.color[3]);
}

TEST(PsdTypeLayer, JapaneseVerticalTextAndFontsWithEscapes)
{
    const std::u16string text = u"\u7E26\u66F8\u304D\u3000\u5C71(\u30C6\u30AD\u30B9\u30C8)";
    EngineText engine;
    engine.text = text;
    engine.runs = {{static_cast<int32_t>(text.size() + 1), "/Font 2 /FontSize 16.0"}};
    engine.fonts = {u"ArialMT", u"MyriadPro-Regular", u"\u5C0F\u585A(Pr6N)\\R"};
    engine.writingDirection = 2;
    TypeBlock block;
    block.text = text;
    block.orientation = "Vrtc";
    block.engineData = engine.Build();
    PsdTypeLayer layer = Read(block.Build());
    EXPECT_EQ(text, layer.text);
    EXPECT_EQ("vertical", layer.orientation);
    ASSERT_EQ(1u, layer.styles.size());
    EXPECT_EQ(engine.fonts[2], layer.styles[0].font);
    EXPECT_EQ(static_cast<int32_t>(text.size()), layer.styles[0].length);

    // Settings without an orientation: the engine's writing direction says it; without an
    // anti-aliasing, its number.
    block.orientation.clear();
    block.antiAlias.clear();
    layer = Read(block.Build());
    EXPECT_EQ("vertical", layer.orientation);
    EXPECT_EQ("smooth", layer.antiAlias);
}

TEST(PsdTypeLayer, StylesMergeOverTheDefaultRunAndTheParagraphsStyleSheet)
{
    EngineText engine;
    engine.text = u"ab";
    engine.paragraphs = {{3, "/Justification 6"}};
    engine.runs = {{1, "/FontSize 9.0"}, {2, ""}};
    engine.defaultRun = "/FauxItalic true";
    engine.styleSheets.push_back("/Font 1 /FontSize 30.0 /Tracking -20");
    engine.paragraphStyleSheet = 1;
    TypeBlock block;
    block.text = u"ab";
    block.engineData = engine.Build();
    const PsdTypeLayer layer = Read(block.Build());
    EXPECT_EQ("justifyAll", layer.justification);
    ASSERT_EQ(2u, layer.styles.size());
    for (const sdk::graphic::PsdTextStyle& style : layer.styles) {
        EXPECT_EQ(u"MyriadPro-Regular", style.font);
        EXPECT_TRUE(style.fauxItalic);
        EXPECT_EQ(-20, style.tracking);
        EXPECT_FALSE(style.hasColor);  // the paragraph's sheet has no colour
    }
    EXPECT_EQ(9, layer.styles[0].size);
    EXPECT_EQ(30, layer.styles[1].size);

    // An empty text keeps its first run, of no length.
    engine.text = block.text = u"";
    engine.paragraphs = {{1, ""}};
    engine.runs = {{1, ""}};
    block.engineData = engine.Build();
    const PsdTypeLayer empty = Read(block.Build());
    ASSERT_EQ(1u, empty.styles.size());
    EXPECT_EQ(0, empty.styles[0].length);
}

TEST(PsdTypeLayer, DamagedBlocksRaiseTheirTags)
{
    const TypeBlock good = Block(u"Hi", {{3, "/Font 0"}});
    const Bytes whole = good.Build();
    ASSERT_EQ("no error", Tag(whole));

    // Cut short: in the transform, in the text settings, in the bounds.
    const size_t settingsEnd = 2 + 48 + 2 + good.TextSettings().size();
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:510", Tag(Bytes(whole.begin(), whole.begin() + 20)));
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:520",
              Tag(Bytes(whole.begin(), whole.begin() + settingsEnd - 10)));
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:510", Tag(Bytes(whole.begin(), whole.end() - 2)));
    for (size_t size = 0; size < whole.size(); ++size)
        EXPECT_NE("no error", Tag(Bytes(whole.begin(), whole.begin() + size))) << size;

    // Versions this reader does not know.
    for (int field = 0; field < 3; ++field) {
        TypeBlock block = good;
        (field == 0 ? block.version : field == 1 ? block.textVersion : block.warpVersion) = 2;
        EXPECT_EQ("ImageLoaderPSD::TypeLayer:515", Tag(block.Build())) << field;
    }

    // The engine data claims more bytes than the block holds.
    Bytes claimed = whole;
    const std::string key = "EngineDatatdta";
    const size_t at = std::search(claimed.begin(), claimed.end(), key.begin(), key.end()) -
                      claimed.begin() + key.size();
    claimed[at] = 0x7F;
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:520", Tag(claimed));

    // Engine data malformed, nested without end.
    TypeBlock engine = good;
    engine.engineData = Bytes({'<', '<', ' ', '/', 'A', ' ', '[', ' ', '>', '>'});
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:530", Tag(engine.Build()));
    const std::string deep = "<< /A " + std::string(100, '[') + std::string(100, ']') + " >>";
    engine.engineData = Bytes(deep.begin(), deep.end());
    EXPECT_EQ("ImageLoaderPSD::TypeLayer:535", Tag(engine.Build()));

    // Style runs that do not fit: more lengths than runs, a length below zero or not whole or
    // beyond 32 bits, a font the document lacks, no runs at all.
    for (const std::string& runs :
         {std::string("/RunArray [ << >> ] /RunLengthArray [ 1 2 ]"),
          std::string("/RunArray [ << >> ] /RunLengthArray [ -1 ]"),
          std::string("/RunArray [ << >> ] /RunLengthArray [ 1.5 ]"),
          std::string("/RunArray [ << >> ] /RunLengthArray [ 4294967296 ]"),
          std::string("/RunArray [ << /StyleSheet << /StyleSheetData << /Font 9 >> >> >> ] "
                      "/RunLengthArray [ 3 ]"),
          std::string("/RunArray [ ] /RunLengthArray [ ]")}) {
        const std::string text = "<< /EngineDict << /StyleRun << " + runs +
                                 " >> >> /ResourceDict << /FontSet [ << /Name (\xFE\xFF\x00"
                                 "A) >> ] >> >>"s;
        engine.engineData = Bytes(text.begin(), text.end());
        EXPECT_EQ("ImageLoaderPSD::TypeLayer:550", Tag(engine.Build())) << runs;
    }
}

}  // namespace
