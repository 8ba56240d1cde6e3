// JSON text written as it is built: objects, arrays, keys and values, two spaces of indent per
// level, CR LF line ends. Small objects may stay on one line. Strings are made valid UTF-8 and
// escaped as JSON requires, so the text is valid JSON whatever bytes they held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class JsonText {
public:
    // oneLine: the members stay on the opening line ({"x": 0, "y": 0}).
    void BeginObject(bool oneLine = false) { Open('{', oneLine); }
    void EndObject() { Close('}'); }
    void BeginArray(bool oneLine = false) { Open('[', oneLine); }
    void EndArray() { Close(']'); }
    // The key of the object member whose value comes next.
    void Key(const std::string& name);
    void String(const std::string& text);
    void Number(int64_t value);
    // A number with places digits after the point.
    void Decimal(double value, int places);
    // A number with as many digits as it needs, up to the 15 that a double holds for sure
    // ("96", "71.9999847412109", "1e+300"); null for what is no finite number.
    void Real(double value);
    void Bool(bool value);
    void Null();

    // The whole text, ending with a line end.
    std::string Text() const { return text_ + "\r\n"; }
    // The text without its line end: one line when every level was opened on one line.
    const std::string& Value() const { return text_; }

private:
    struct Level {
        bool oneLine;
        bool empty = true;
    };
    void Open(char bracket, bool oneLine);
    void Close(char bracket);
    // What comes before a value or a key: a comma after another member, then a new line or a
    // space. Nothing after a key.
    void BeforeItem();
    void NewLine();
    void Quoted(const std::string& text);

    std::string text_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};
