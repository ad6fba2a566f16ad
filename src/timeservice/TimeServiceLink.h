#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace hv {

// The tray program's connection to the time service: one request, then one reply read
// without waiting. Everything runs on the user-interface thread.
class TimeServiceLink {
public:
    enum class Opened {
        Connected,  // the running service answers, and it is the service
        NotRunning, // not installed, stopped, or its pipe not there: measure in-process
        Busy,       // every instance of its pipe is taken
        Impostor,   // the pipe is served by a process that is not the service
        Failed,     // anything else the system refused
    };

    struct Poll {
        enum class State { Waiting, Arrived, Closed };
        State state = State::Waiting;
        std::vector<std::uint8_t> message; // when Arrived
    };

    virtual ~TimeServiceLink() = default;
    // Connects afresh, closing any earlier connection.
    virtual Opened Open() = 0;
    virtual bool Send(std::span<const std::uint8_t> message) = 0;
    // Never blocks: the reply once it is there whole, or that it is not yet, or that the
    // service hung up.
    virtual Poll PollReply() = 0;
    virtual void Close() = 0;
};

} // namespace hv
