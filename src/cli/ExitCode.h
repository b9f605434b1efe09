#pragma once

class Failure;

// What cfgutil's exit status says; listed in --help and the README.
namespace ExitCode {
constexpr int Done = 0;
constexpr int DeviceFailed = 1; // the device failed or did not answer
constexpr int BadInput = 2;     // bad usage or input, or a question only a flag can answer
constexpr int Environment = 3;  // no ICMP socket, no interface, a file that cannot be read...
} // namespace ExitCode

// The exit status of a failure raised by an engine.
int exitCodeFor(const Failure &failure);
