#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace emulator {

// A refusal by the service: one of its error codes (E_NOSUCHOBJECT, ...) and
// a message. Thrown by the method handlers, written out as a SOAP 1.1 Fault.
class ServiceFault : public std::runtime_error {
  public:
    enum class Side { Client, Server };

    ServiceFault(std::string code, const std::string& message, Side side = Side::Client)
        : std::runtime_error(message), code_(std::move(code)), side_(side)
    {
    }
    const std::string& Code() const { return code_; }
    Side FaultSide() const { return side_; }

  private:
    std::string code_;
    Side side_;
};

} // namespace emulator
