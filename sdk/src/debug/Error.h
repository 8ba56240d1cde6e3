// The program's error kinds. Every failed check raises one of them with a fixed location tag
// ("Class::Method:Number") as its only text. The number is a fixed identifier of the check, not
// the line it stands on: tags never change when code moves, since users, logs and tests quote
// them. Messages live in a 256-byte buffer inside the object, so errors own no heap memory and
// can be copied and thrown by value.
#pragma once

#include <cstdint>
#include <exception>
#include <ostream>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace sdk {
namespace debug {

// Copies at most 255 bytes of text into a 256-byte buffer and terminates it.
class fixed_message {
public:
    static const size_t capacity = 256;
    explicit fixed_message(const char* text);
    const char* c_str() const { return text_; }

private:
    char text_[capacity];
};

// The standard logic and runtime errors of the program: the standard classes with their message
// cut to 255 bytes like every other error of the program.
class logic_error : public std::logic_error {
public:
    explicit logic_error(const char* tag);
    const char* what() const noexcept override { return message_.c_str(); }

private:
    fixed_message message_;
};

class runtime_error : public std::runtime_error {
public:
    explicit runtime_error(const char* tag);
    const char* what() const noexcept override { return message_.c_str(); }

private:
    fixed_message message_;
};

// Base of the program's own error classes: adds the detail lines of an error record.
class error_base : public std::runtime_error {
public:
    explicit error_base(const char* message);
    const char* what() const noexcept override { return message_.c_str(); }
    // Writes the detail lines that follow the first line of an error record.
    virtual void WriteDetails(std::ostream& stream) const;

private:
    fixed_message message_;
};

// A failed system call, with the system's error code (GetLastError on Windows, errno elsewhere).
class windows_error : public error_base {
public:
    windows_error(const char* tag, uint32_t code);
    uint32_t Code() const { return code_; }
    void WriteDetails(std::ostream& stream) const override;

private:
    uint32_t code_;
};

// A processor or system fault, named by its structured-exception code.
class system_error : public error_base {
public:
    system_error(uint32_t code, uint32_t address);
    uint32_t Code() const { return code_; }
    uint32_t Address() const { return address_; }
    void WriteDetails(std::ostream& stream) const override;

private:
    uint32_t code_;
    uint32_t address_;
};

// The system's description of an error code, cut to its first line; "???" when there is none.
std::string GetErrorText(uint32_t code);

// The Japanese name of a structured-exception code; "システムエラー" for any code not in the table.
const char* ExceptionName(uint32_t code);

// Writes one error record: "ERROR: <class>(<what>)" and, for the program's own classes, their
// detail lines. Returns the stream so that callers can append context lines.
std::ostream& operator<<(std::ostream& stream, const std::exception& error);

// The qualified name of the dynamic class of an error, as written in an error record.
std::string ErrorClassName(const std::exception& error);

// The qualified name of a type as written in the source ("cConvWindow::impl").
std::string QualifiedTypeName(const std::type_info& type);

}  // namespace debug
}  // namespace sdk
