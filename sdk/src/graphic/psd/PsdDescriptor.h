// Descriptors: the editor's self-describing structures of keyed values, in which the newer
// layer blocks keep their settings (gradient and pattern fills, some adjustments, layer effects).
//
// A descriptor is a class id and a list of items, each a key and a typed value: numbers (with
// or without a unit), booleans, enumerations, texts, nested descriptors, lists and raw data.
// The reader never trusts a count or a length: every read is checked against the bytes left,
// nesting is bounded, and so is the number of values, so a damaged block raises its tag instead
// of sizing anything by what it declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sdk {
namespace graphic {

struct PsdDescriptorValue {
    enum class Type {
        None,
        Object,      // a descriptor ("Objc", "GlbO", an object array "ObAr"): classId, items
        List,        // items without keys
        Number,      // "doub", "long", "comp", "bool"
        UnitNumber,  // "UntF": unit holds "#Ang", "#Pxl", "#Prc", ...
        Enumerated,  // unit holds the enumeration's type, text its value
        Text,        // "TEXT" (its characters as UTF-16 code units in wide)
        Raw,         // "tdta" and other data kept as bytes
        Other,       // references, classes, aliases: read past, not kept
    };
    Type type = Type::None;
    std::string key;      // the item's key within its descriptor; empty in lists
    std::string classId;  // Object
    std::string unit;     // UnitNumber's unit; Enumerated's type
    std::string text;     // Enumerated's value; Text's characters below 128, others as '?'
    std::u16string wide;  // Text
    double number = 0;
    std::vector<uint8_t> raw;
    std::vector<PsdDescriptorValue> items;

    // The item of an Object with key, or nullptr.
    const PsdDescriptorValue* Find(const char* itemKey) const;
    // The item's number (Number or UnitNumber), or fallback when it has none.
    double Number(const char* itemKey, double fallback) const;
    bool Bool(const char* itemKey, bool fallback) const;
    // The item's Enumerated value or Text, or fallback.
    std::string Text(const char* itemKey, const std::string& fallback = std::string()) const;
};

// Reads a descriptor (name, class id, items) from size bytes at data; at returns the position
// after it. Raises tag when the bytes end inside it, it nests deeper than a real document does,
// or it holds more values than its bytes could.
PsdDescriptorValue ReadPsdDescriptor(const uint8_t* data, size_t size, size_t& at,
                                     const char* tag);

// A block that holds a 4-byte descriptor version (16) and then a descriptor. Raises tag as
// above, and for another version.
PsdDescriptorValue ReadPsdVersionedDescriptor(const uint8_t* data, size_t size, size_t& at,
                                              const char* tag);

// The 4-character blend-mode key of a layer record ("norm", "lbrn", "pass") for a blend mode as
// descriptors name it (the enumeration "BlnM": "Nrml", "linearBurn", "passThrough"); false for
// a name it does not know.
bool PsdBlendKeyOfName(const std::string& name, char (&key)[4]);

}  // namespace graphic
}  // namespace sdk
