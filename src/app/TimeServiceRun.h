#pragma once
#include "timeservice/ServiceProtocol.h"
#include "timeservice/TimeServiceLink.h"

#include <optional>
#include <string>

namespace hv {

// A synchronisation run handed to the time service: the request sent over the link and
// the service's answer, read when the main window polls for it (on its one-second tick and
// before its time-out gives up). No link, or no service running: the run stays in-process.
class TimeServiceRun {
public:
    explicit TimeServiceRun(TimeServiceLink* link) : m_link(link) {}

    enum class Start {
        NoService,  // measure in-process
        Sent,       // the service has the request
        Unsendable, // the server's name cannot be carried: a failed send
        Refused,    // the service is there but could not be asked; Trouble() says why
    };
    Start Begin(const std::string& server);

    // From a sent request until a conclusive answer (or the end of the connection) is read.
    // The service's "no reply from the server" keeps the run waiting: the program's own
    // time-out then reports it as it reports a silent server.
    bool Awaiting() const { return m_state == State::Awaiting; }
    bool ServerSilent() const { return m_serverSilent; }
    // An answer has been read and waits for the tick.
    bool Answered() const { return m_state == State::Answered; }
    void Poll();
    // The answer read, once; nothing when the service hung up or sent no valid reply. The
    // run is over afterwards.
    std::optional<ServiceReply> TakeAnswer();
    void Abandon();

    // Why the service could not be asked (after Refused), in plain words.
    const std::string& Trouble() const { return m_trouble; }

private:
    enum class State { Idle, Awaiting, Answered };

    TimeServiceLink* m_link;
    State m_state = State::Idle;
    bool m_serverSilent = false;
    std::optional<ServiceReply> m_answer;
    std::string m_trouble;
};

// Said when the service itself stays silent for the whole run.
constexpr const char* kTextServiceSilent = "The time service did not answer within 10 seconds.";

// The plain-words log entry for an answer that did not end with the clock set as measured,
// without its line end; empty for Adjusted and Measured. `server` is the address asked for.
std::string ServiceRefusalText(const std::optional<ServiceReply>& answer, const std::string& server);

} // namespace hv
