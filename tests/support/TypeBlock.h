// Test support: the "TySh" block of a type layer, with its engine data written as the editor
// writes it (UTF-16 strings after FE FF, a backslash before the bytes "(", ")" and "\").
//
//   test_support::EngineText engine;
//   engine.text = u"Hi";
//   engine.runs = {{2, "/FontSize 30.0"}};
//   test_support::TypeBlock type;
//   type.text = u"Hi";
//   type.engineData = engine.Build();
//   test_support::Bytes block = type.Build();
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/PsdBuilder.h"

namespace test_support {

// An engine data string: "(", FE FF, the units big-endian with their escapes, ")".
std::string EngineString(const std::u16string& text);

// Engine data of one text: its paragraphs and style runs, the document's fonts and style sheets.
struct EngineText {
    // The text the engine keeps; Build adds the closing "\r" the editor ends it with.
    std::u16string text;
    // Each paragraph: its length and the properties of its paragraph sheet (engine data).
    std::vector<std::pair<int32_t, std::string>> paragraphs;
    // Each style run: its length and its style sheet data (engine data, without brackets).
    std::vector<std::pair<int32_t, std::string>> runs;
    // The default run's style sheet data.
    std::string defaultRun;
    // The document's style sheets (the first is the normal one) and fonts.
    std::vector<std::string> styleSheets = {
        "/Font 0 /FontSize 12.0 /AutoLeading true /Tracking 0 "
        "/FillColor << /Type 1 /Values [ 1.0 0.0 0.0 0.0 ] >>"};
    std::vector<std::u16string> fonts = {u"ArialMT", u"MyriadPro-Regular"};
    // The style sheet each paragraph's sheet names.
    int32_t paragraphStyleSheet = 0;
    int32_t writingDirection = 0;
    int32_t antiAlias = 3;

    Bytes Build() const;
};

// The block: version, transform, text settings, warp settings, bounds.
struct TypeBlock {
    uint16_t version = 1;
    double transform[6] = {1, 0, 0, 1, 10, 20};
    uint16_t textVersion = 50;
    std::u16string text = u"Hi";
    std::string orientation = "Hrzn";  // the "Ornt" value; empty: no such item
    std::string antiAlias = "AnSm";    // the "AntA" value; empty: no such item
    Bytes engineData;
    uint16_t warpVersion = 1;
    std::string warpStyle = "warpNone";
    int32_t bounds[4] = {0, -20, 30, 5};

    // The text settings' descriptor (versioned).
    Bytes TextSettings() const;
    Bytes Build() const;
};

}  // namespace test_support
