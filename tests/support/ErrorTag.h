// Test support: the location tag of the error that a statement raises.
#pragma once

#include <exception>
#include <string>

namespace test_support {

// The what() of the error that statement raises, or "no error".
template <class Statement>
std::string TagOf(Statement statement)
{
    try {
        statement();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace test_support
