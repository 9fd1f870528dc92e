// The log of every host call, one line each, that tests read back through
// StandInReadCallLog to see what the plug-in asked for and in what order.
#pragma once

#include <string>

// Builds "Function|arg|arg" and appends it with Record().
class CallLine {
public:
    explicit CallLine(const char* function) : text_(function) {}
    CallLine& Text(const char* text);
    CallLine& Number(long long number);
    void Record();

private:
    std::string text_;
};

// The log stops growing at this size rather than dropping lines a test may
// be looking for; one last line says that it is full.
constexpr size_t kCallLogCapacity = 4u << 20;
constexpr const char* kCallLogFullLine = "CallLogFull\n";
