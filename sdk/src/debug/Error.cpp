#include "debug/Error.h"

#include <cstdio>
#include <cstring>
#include <typeinfo>

#if defined(__GNUG__)
#include <cxxabi.h>

#include <cstdlib>
#endif

namespace sdk {
namespace debug {

namespace {

// A code or address as "123 (0x0000007B)": signed decimal, then eight hex digits.
std::string DecimalAndHex(uint32_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d (0x%08X)", static_cast<int>(value), value);
    return text;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

}  // namespace

fixed_message::fixed_message(const char* text)
{
    if (text == nullptr)
        text = "";
    strncpy(text_, text, capacity);
    text_[capacity - 1] = '\0';
}

// The standard bases get an empty text: the message lives in the fixed buffer alone.
logic_error::logic_error(const char* tag) : std::logic_error(""), message_(tag) {}
runtime_error::runtime_error(const char* tag) : std::runtime_error(""), message_(tag) {}
error_base::error_base(const char* message) : std::runtime_error(""), message_(message) {}

void error_base::WriteDetails(std::ostream&) const {}

windows_error::windows_error(const char* tag, uint32_t code) : error_base(tag), code_(code) {}

void windows_error::WriteDetails(std::ostream& stream) const
{
    stream << "\tERROR CODE : " << DecimalAndHex(code_) << std::endl;
    stream << "\tDESCRIPTION: " << GetErrorText(code_) << std::endl;
}

system_error::system_error(uint32_t code, uint32_t address)
    : error_base(ExceptionName(code)), code_(code), address_(address)
{
}

void system_error::WriteDetails(std::ostream& stream) const
{
    stream << "\tERROR_CODE: " << Hex(code_) << std::endl;
    stream << "\tERROR_ADDR: " << DecimalAndHex(address_) << std::endl;
}

const char* ExceptionName(uint32_t code)
{
    struct Entry {
        uint32_t code;
        const char* name;
    };
    static const Entry names[] = {
        {0x80000001u, "システム／保護ページ違反"},
        {0x80000002u, "メモリ／アラインメント不正"},
        {0xC0000005u, "メモリ／アクセス違反"},
        {0xC0000006u, "プロセッサ／ページング失敗"},
        {0xC0000008u, "システム／無効なハンドル"},
        {0xC000001Du, "プロセッサ／不正な命令"},
        {0xC0000025u, "プロセッサ／不正な処理継続"},
        {0xC000008Cu, "メモリ／配列範囲外アクセス"},
        {0xC000008Du, "小数演算／オペランド不正"},
        {0xC000008Eu, "小数演算／ゼロ除算"},
        {0xC000008Fu, "小数演算／表現不可能な数値"},
        {0xC0000090u, "小数演算／演算エラー"},
        {0xC0000091u, "小数演算／オーバーフロー"},
        {0xC0000092u, "小数演算／スタックオーバー"},
        {0xC0000093u, "小数演算／アンダーフロー"},
        {0xC0000094u, "整数演算／ゼロ除算"},
        {0xC0000095u, "整数演算／オーバーフロー"},
        {0xC0000096u, "プロセッサ／許可されていない命令"},
        {0xC00000FDu, "プロセッサ／スタック・オーバーフロー"},
    };
    for (const Entry& entry : names) {
        if (entry.code == code)
            return entry.name;
    }
    return "システムエラー";
}

std::string ErrorClassName(const std::exception& error)
{
    // The fixed-buffer forms of the standard errors are reported as the standard classes.
    if (typeid(error) == typeid(logic_error))
        return "std::logic_error";
    if (typeid(error) == typeid(runtime_error))
        return "std::runtime_error";
    return QualifiedTypeName(typeid(error));
}

std::string QualifiedTypeName(const std::type_info& type)
{
    const char* raw = type.name();
#if defined(__GNUG__)
    int status = 0;
    char* demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
    if (demangled != nullptr) {
        std::string name(demangled);
        std::free(demangled);
        return name;
    }
    return raw;
#else
    std::string name(raw);
    for (const char* prefix : {"class ", "struct "}) {
        if (name.compare(0, strlen(prefix), prefix) == 0)
            return name.substr(strlen(prefix));
    }
    return name;
#endif
}

std::ostream& operator<<(std::ostream& stream, const std::exception& error)
{
    stream << "ERROR: " << ErrorClassName(error) << "(" << error.what() << ")" << std::endl;
    if (const error_base* own = dynamic_cast<const error_base*>(&error))
        own->WriteDetails(stream);
    return stream;
}

}  // namespace debug
}  // namespace sdk
