#pragma once
// Stand-ins for the operating system calls the module makes: the debugger output channel and the GUID
// generator.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace runtime {

// A GUID as stored: a 32-bit field, two 16-bit fields and eight bytes.
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
};

// Generates a GUID; returns 0 on success, another code on failure (as the system call does).
std::int32_t CoCreateGuid(Guid& out);

// Replaces the GUID source (tests use it to feed given fields or to fail); an empty function restores
// the system generator.
void set_guid_source(std::function<std::int32_t(Guid&)> source);

// Writes a line to the debugger output. The default channel is standard error when the environment
// variable CALENDATT_DEBUG_OUTPUT is set, else nowhere; every line is also kept for listeners.
void OutputDebugStringA(const std::string& text);

// Registers a listener that sees every debug line (the headless host records them); returns its id.
int add_debug_listener(std::function<void(const std::string&)> listener);
void remove_debug_listener(int id);

}  // namespace runtime
