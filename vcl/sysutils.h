#pragma once
// The few general helpers of the class library that the program uses.
#include <stdexcept>
#include <string>

// Base of the exceptions that the start-up entry shows in the standard error box.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Decimal text of a number.
std::string IntToStr(int value);
