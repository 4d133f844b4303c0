// The exception raised when a component-object call that must not fail does fail: it
// carries the call's result code and the identifier of the interface it was made on.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// The layout of a component interface identifier (a GUID), without <windows.h>.
struct InterfaceId {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

bool operator==(const InterfaceId& a, const InterfaceId& b);

class ComponentError : public std::exception {
public:
    ComponentError(std::int32_t result, const InterfaceId& iid);

    std::int32_t Result() const { return result_; }
    const InterfaceId& Iid() const { return iid_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::int32_t result_;
    InterfaceId iid_;
    std::string message_;
};
