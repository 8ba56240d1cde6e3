#include "conversion/output/JsonText.h"

#include <cmath>

#include "files/Format.h"
#include "files/Utf8Text.h"

void JsonText::Key(const std::string& name)
{
    BeforeItem();
    Quoted(name);
    text_ += ": ";
    afterKey_ = true;
}

void JsonText::String(const std::string& text)
{
    BeforeItem();
    Quoted(text);
}

void JsonText::Number(int64_t value)
{
    BeforeItem();
    text_ += std::to_string(value);
}

void JsonText::Decimal(double value, int places)
{
    BeforeItem();
    text_ += sdk::files::Format("%.*f", places, value);
}

void JsonText::Real(double value)
{
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    BeforeItem();
    // A negative zero is written as 0; an exponent's "e+" is JSON's own form.
    text_ += sdk::files::Format("%.15g", value == 0 ? 0.0 : value);
}

void JsonText::Bool(bool value)
{
    BeforeItem();
    text_ += value ? "true" : "false";
}

void JsonText::Null()
{
    BeforeItem();
    text_ += "null";
}

void JsonText::Open(char bracket, bool oneLine)
{
    BeforeItem();
    text_ += bracket;
    // Inside a one-line object everything stays on its line.
    levels_.push_back(Level{oneLine || (!levels_.empty() && levels_.back().oneLine)});
}

void JsonText::Close(char bracket)
{
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.empty && !level.oneLine)
        NewLine();
    text_ += bracket;
}

void JsonText::BeforeItem()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty())
        return;
    Level& level = levels_.back();
    if (!level.empty)
        text_ += ',';
    if (level.oneLine) {
        if (!level.empty)
            text_ += ' ';
    } else {
        NewLine();
    }
    level.empty = false;
}

void JsonText::NewLine()
{
    text_ += "\r\n";
    text_.append(levels_.size() * 2, ' ');
}

void JsonText::Quoted(const std::string& text)
{
    text_ += '"';
    for (const char c : sdk::files::ValidUtf8(text)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': text_ += "\\\""; break;
        case '\\': text_ += "\\\\"; break;
        case '\n': text_ += "\\n"; break;
        case '\r': text_ += "\\r"; break;
        case '\t': text_ += "\\t"; break;
        case '\b': text_ += "\\b"; break;
        case '\f': text_ += "\\f"; break;
        default:
            if (byte < 0x20)
                text_ += sdk::files::Format("\\u%04x", byte);
            else
                text_ += c;
        }
    }
    text_ += '"';
}
