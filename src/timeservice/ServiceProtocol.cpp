#include "timeservice/ServiceProtocol.h"

#include "timeservice/ServerName.h"

#include <algorithm>

namespace hv {
namespace {

constexpr std::uint8_t kMagic[] = {'H', 'V', 'T', 'S'};
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kTypeAt = 5;
constexpr std::size_t kLengthAt = 6;
constexpr std::uint8_t kReplyType = 0x81;
// status, fault, delay, offset, limit, retry-after, samples; the server's name follows.
constexpr std::size_t kReplyFixedBytes = 1 + 1 + 8 + 8 + 4 + 4 + 1;
constexpr auto kFirstStatus = static_cast<std::uint8_t>(ServiceStatus::Adjusted);
constexpr auto kLastStatus = static_cast<std::uint8_t>(ServiceStatus::LoopbackName);
constexpr auto kLastFault = static_cast<std::uint8_t>(RequestFault::BadServerName);

class Writer {
public:
    void Byte(std::uint8_t value) { m_bytes.push_back(value); }
    void Unsigned(std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) Byte(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void Text(std::string_view text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    std::vector<std::uint8_t> Finish() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads the payload of a message whose length has already been checked.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint8_t Byte() { return m_bytes[m_at++]; }
    std::uint64_t Unsigned(int bytes) {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(Byte()) << (8 * i);
        return value;
    }
    std::string_view Rest() {
        const auto rest = m_bytes.subspan(m_at);
        m_at = m_bytes.size();
        return {reinterpret_cast<const char*>(rest.data()), rest.size()};
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

std::vector<std::uint8_t> Message(std::uint8_t type, const std::vector<std::uint8_t>& payload) {
    Writer writer;
    for (const std::uint8_t b : kMagic) writer.Byte(b);
    writer.Byte(kServiceProtocolVersion);
    writer.Byte(type);
    writer.Unsigned(payload.size(), 2);
    std::vector<std::uint8_t> message = writer.Finish();
    message.insert(message.end(), payload.begin(), payload.end());
    return message;
}

// The header's verdict on a whole message, and its payload when it passes.
struct Framed {
    RequestFault fault = RequestFault::None;
    std::uint8_t type = 0;
    std::span<const std::uint8_t> payload;
};

std::size_t PayloadLength(std::span<const std::uint8_t> message) {
    return static_cast<std::size_t>(message[kLengthAt]) | (static_cast<std::size_t>(message[kLengthAt + 1]) << 8);
}

Framed Frame(std::span<const std::uint8_t> message) {
    Framed framed;
    if (message.size() > kMaxServiceMessageBytes) {
        framed.fault = RequestFault::TooLong;
    } else if (message.size() < kServiceHeaderBytes) {
        framed.fault = RequestFault::TooShort;
    } else if (!std::equal(std::begin(kMagic), std::end(kMagic), message.begin())) {
        framed.fault = RequestFault::BadMagic;
    } else if (message[kVersionAt] != kServiceProtocolVersion) {
        framed.fault = RequestFault::UnknownVersion;
    } else if (kServiceHeaderBytes + PayloadLength(message) != message.size()) {
        framed.fault = RequestFault::LengthMismatch;
    } else {
        framed.type = message[kTypeAt];
        framed.payload = message.subspan(kServiceHeaderBytes);
    }
    return framed;
}

std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

ParsedRequest ParseRequest(std::span<const std::uint8_t> message) {
    const Framed framed = Frame(message);
    if (framed.fault != RequestFault::None) return {std::nullopt, framed.fault};
    switch (framed.type) {
    case static_cast<std::uint8_t>(RequestType::Synchronise): {
        auto server = NormaliseServerName(AsText(framed.payload));
        if (!server) return {std::nullopt, RequestFault::BadServerName};
        return {ServiceRequest{RequestType::Synchronise, std::move(*server)}, RequestFault::None};
    }
    case static_cast<std::uint8_t>(RequestType::LastResult):
        if (!framed.payload.empty()) return {std::nullopt, RequestFault::BadServerName};
        return {ServiceRequest{RequestType::LastResult, {}}, RequestFault::None};
    default: return {std::nullopt, RequestFault::UnknownType};
    }
}

std::vector<std::uint8_t> EncodeRequest(const ServiceRequest& request) {
    Writer payload;
    if (request.type == RequestType::Synchronise) {
        const auto server = NormaliseServerName(request.server);
        if (!server) return {};
        payload.Text(*server);
    }
    return Message(static_cast<std::uint8_t>(request.type), payload.Finish());
}

bool HasMeasurement(ServiceStatus status) {
    return status == ServiceStatus::Adjusted || status == ServiceStatus::Measured ||
           status == ServiceStatus::OverLimit || status == ServiceStatus::ClockRefused ||
           status == ServiceStatus::DailyLimit || status == ServiceStatus::NotConfirmed;
}

std::vector<std::uint8_t> EncodeReply(const ServiceReply& reply) {
    Writer payload;
    payload.Byte(static_cast<std::uint8_t>(reply.status));
    payload.Byte(static_cast<std::uint8_t>(reply.fault));
    payload.Unsigned(static_cast<std::uint64_t>(reply.delayMicros), 8);
    payload.Unsigned(static_cast<std::uint64_t>(reply.offsetMicros), 8);
    payload.Unsigned(reply.limitSeconds, 4);
    payload.Unsigned(reply.retryAfterSeconds, 4);
    payload.Byte(reply.samples);
    payload.Text(NormaliseServerName(reply.server).value_or(""));
    return Message(kReplyType, payload.Finish());
}

std::optional<ServiceReply> ParseReply(std::span<const std::uint8_t> message) {
    const Framed framed = Frame(message);
    if (framed.fault != RequestFault::None || framed.type != kReplyType || framed.payload.size() < kReplyFixedBytes) {
        return std::nullopt;
    }
    Reader reader(framed.payload);
    const std::uint8_t status = reader.Byte();
    const std::uint8_t fault = reader.Byte();
    if (status < kFirstStatus || status > kLastStatus || fault > kLastFault) return std::nullopt;
    ServiceReply reply;
    reply.status = static_cast<ServiceStatus>(status);
    reply.fault = static_cast<RequestFault>(fault);
    reply.delayMicros = static_cast<std::int64_t>(reader.Unsigned(8));
    reply.offsetMicros = static_cast<std::int64_t>(reader.Unsigned(8));
    reply.limitSeconds = static_cast<std::uint32_t>(reader.Unsigned(4));
    reply.retryAfterSeconds = static_cast<std::uint32_t>(reader.Unsigned(4));
    reply.samples = reader.Byte();
    const std::string_view server = reader.Rest();
    if (!server.empty()) {
        auto name = NormaliseServerName(server);
        if (!name || *name != server) return std::nullopt;
        reply.server = std::move(*name);
    }
    return reply;
}

std::string_view RequestFaultText(RequestFault fault) {
    switch (fault) {
    case RequestFault::None: return "well-formed";
    case RequestFault::TooShort: return "shorter than its header";
    case RequestFault::TooLong: return "longer than any request";
    case RequestFault::BadMagic: return "not a Horvane request";
    case RequestFault::UnknownVersion: return "of an unknown version";
    case RequestFault::UnknownType: return "of an unknown type";
    case RequestFault::LengthMismatch: return "not as long as its header says";
    case RequestFault::BadServerName: return "without a valid server name";
    }
    return "malformed";
}

} // namespace hv
