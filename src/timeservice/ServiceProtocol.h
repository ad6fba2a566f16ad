#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The messages between the tray program and the time service, one request and one reply
// per connection. Every message is a fixed header and a small payload:
//   bytes 0-3  magic "HVTS"
//   byte  4    protocol version
//   byte  5    message type
//   bytes 6-7  payload length, little-endian; the message is exactly header + payload
// A caller may ask two things only: "synchronise against this server now" (the payload is
// the server's name) and "what was the last result" (no payload). Nothing a caller sends is
// a time, an offset or a setting: the service measures for itself.
constexpr std::uint8_t kServiceProtocolVersion = 1;
constexpr std::size_t kServiceHeaderBytes = 8;
// Whatever is longer is refused unread; the pipe's buffers are this size too.
constexpr std::size_t kMaxServiceMessageBytes = 512;

enum class RequestType : std::uint8_t { Synchronise = 1, LastResult = 2 };

struct ServiceRequest {
    RequestType type = RequestType::LastResult;
    std::string server; // normalised; empty for LastResult
    bool operator==(const ServiceRequest&) const = default;
};

// Why a request was refused unread.
enum class RequestFault : std::uint8_t {
    None = 0,
    TooShort, // shorter than the header
    TooLong,  // longer than kMaxServiceMessageBytes
    BadMagic,
    UnknownVersion,
    UnknownType,
    LengthMismatch, // the header's length is not what arrived
    BadServerName,  // no server name, or one NormaliseServerName refuses; a payload where none belongs
};

struct ParsedRequest {
    std::optional<ServiceRequest> request;
    RequestFault fault = RequestFault::None;
};

// Checks the length against what arrived before anything else is read.
ParsedRequest ParseRequest(std::span<const std::uint8_t> message);
// Empty when the request cannot be carried (a server name NormaliseServerName refuses).
std::vector<std::uint8_t> EncodeRequest(const ServiceRequest& request);

// What the service did with a request.
enum class ServiceStatus : std::uint8_t {
    Adjusted = 1, // measured and the clock set
    Measured,     // measured; the offset was too small to be worth a change
    OverLimit,    // measured; the correction is larger than the administrator's limit
    ClockRefused, // measured; the system refused the privilege or the new time
    NoResponse,   // the server sent no valid reply in time
    SendFailed,   // the server's name did not resolve, or the request could not be sent
    NotApproved,  // the server is not on the approved list
    Busy,         // another exchange is in progress
    TooSoon,      // exchanges come too close together
    Malformed,    // the request was refused unread
    NoResult,     // asked for the last result before there was one
    DelayTooLong, // the reply's round trip was too long for its time to be trusted
    DailyLimit,   // measured; with the corrections of the last 24 hours it passes the limit
    NotConfirmed, // measured a large step that no second approved server confirmed
    LoopbackName, // the name resolved to a loopback address; only a literal one is queried
};

struct ServiceReply {
    ServiceStatus status = ServiceStatus::NoResult;
    RequestFault fault = RequestFault::None; // for Malformed
    std::int64_t delayMicros = 0;            // for the measured statuses
    std::int64_t offsetMicros = 0;           // positive when the clock was behind
    std::uint32_t limitSeconds = 0;          // for OverLimit, DailyLimit and NotConfirmed
    std::uint32_t retryAfterSeconds = 0;     // for TooSoon
    std::uint8_t samples = 0;                // replies the measurement was chosen among
    std::string server;                      // the server measured or refused, normalised
    bool operator==(const ServiceReply&) const = default;
};

// Whether the service measured the server (delay and offset mean something).
bool HasMeasurement(ServiceStatus status);

std::vector<std::uint8_t> EncodeReply(const ServiceReply& reply);
// Nothing unless the message is a well-formed reply of this version.
std::optional<ServiceReply> ParseReply(std::span<const std::uint8_t> message);

// A short English reason, for the service's own messages.
std::string_view RequestFaultText(RequestFault fault);

} // namespace hv
