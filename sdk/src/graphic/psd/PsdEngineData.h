// Engine data: the small PostScript-like text in which the type tool keeps a text's styles (the
// "EngineData" item of a type layer's text settings).
//
// It is made of dictionaries "<< /Key value ... >>", arrays "[ ... ]", names "/Name", numbers
// ("12", "-1.25", ".5"), the words true and false, and strings "( ... )". A string's bytes are
// UTF-16, big-endian, after the mark FE FF; the editor puts a backslash before every byte that
// is "(", ")" or "\" and writes the other bytes as they are, line ends among them. Values are
// parted by white space (the zero byte counts as white space too), or need nothing between them
// where a bracket or a slash begins the next.
//
// The reader trusts nothing in the text: nesting is bounded, and so is the number of values
// (which the size of the text bounds as well: a value and what parts it from the next take two
// bytes at least), and anything a writer of engine data does not write raises one of the tags
// below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace sdk {
namespace graphic {

// The text ends inside a value, a bracket is not closed or closes what was not opened, a
// dictionary holds something other than a name where a key belongs, a string's UTF-16 ends with
// half a unit, a number has no digits or a word is not true or false.
extern const char kPsdEngineDataMalformed[];  // "ImageLoaderPSD::TypeLayer:530"
// Dictionaries and arrays nested more than kPsdEngineDataDeepest levels.
extern const char kPsdEngineDataTooDeep[];  // "ImageLoaderPSD::TypeLayer:535"
// More values than kPsdEngineDataMostValues.
extern const char kPsdEngineDataTooMany[];  // "ImageLoaderPSD::TypeLayer:540"

// Deeper than any engine data the editor writes (about ten levels).
const int kPsdEngineDataDeepest = 64;
// Far more values than the engine data of a long text with many styles holds.
const size_t kPsdEngineDataMostValues = 1 << 19;

struct PsdEngineValue {
    enum class Type { Dictionary, Array, Name, Number, Boolean, String };
    Type type = Type::Dictionary;
    std::string key;      // the item's key in its dictionary, without its slash; empty in arrays
    std::string name;     // Name: without its slash
    std::u16string text;  // String: its UTF-16 units; a string without the mark: a unit a byte
    double number = 0;    // Number; Boolean: 1 or 0
    std::vector<PsdEngineValue> items;  // Dictionary (in their order), Array

    // The item of a dictionary with key, or nullptr (also for a value of another type).
    const PsdEngineValue* Find(const char* itemKey) const;
    // The item at the end of a path of keys through nested dictionaries, or nullptr.
    const PsdEngineValue* Find(std::initializer_list<const char*> path) const;
    // The item of an array at index, or nullptr.
    const PsdEngineValue* At(size_t index) const;
    // The item's number (Number or Boolean), or fallback.
    double Number(const char* itemKey, double fallback) const;
    bool Bool(const char* itemKey, bool fallback) const;
};

// Reads the engine data of size bytes at data: one value (the editor writes a dictionary),
// with only white space around it. Raises the tags above.
PsdEngineValue ReadPsdEngineData(const uint8_t* data, size_t size);

}  // namespace graphic
}  // namespace sdk
