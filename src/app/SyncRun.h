#pragma once
#include "app/TimeServiceRun.h"
#include "framework/CivilTime.h"
#include "framework/Platform.h"
#include "log/ActivityLog.h"
#include "sync/SntpClient.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hv {

// One synchronisation run at a time, from its start to its outcome: measured by the
// program itself over SNTP, or handed to the time service when one is running. Whoever
// started it, every outcome is reported in one place, to the log, to the date-time bar
// (its status mark) and to the "sync" window (the texts it shows).
//
// A run goes Idle -> (LookingUp ->) OwnExchange or ThroughService -> Idle. A server's name
// is looked up without holding up the user-interface thread, and the request leaves when
// the answer comes. The reply of our own exchange is read when the socket reports it, the
// service's answer when the tick polls for it; either is handled on the next tick, and a
// run that has none kSyncTimeoutMs after its start (look-up included) fails.
class SyncRun final : public DeferredSendEvents {
public:
    // `logShown` is called whenever the bar is told the status, so that an open view of the
    // log can be refreshed.
    SyncRun(Platform& platform, ActivityLog& log, TimeServiceLink* timeService, std::function<void()> logShown);

    const std::string& ServerAddress() const { return m_sntp.ServerAddress(); }
    void SetServerAddress(std::string address) { m_sntp.SetServerAddress(std::move(address)); }

    // The automatic timer's run. Nothing starts while the service has a request; while our
    // own request is outstanding its socket is kept and nothing is sent.
    void Start() { Start(Asker::Timer); }
    // The "sync" window's start and stop buttons; it hears how the start went.
    void StartForSyncWindow();
    void StopForSyncWindow();
    // Ends the run quietly: a reply or answer still on its way is never read.
    void Stop();

    // A request is outstanding (or waits for its server's name), in-process or with the
    // time service.
    bool AwaitingReply() const { return m_sntp.AwaitingReply() || m_service.Awaiting(); }

    // The one-second tick: an answer that came is handled, stamped with the tick's time.
    void OnTick(const CivilTime& tickTime);
    void OnTimeout();

    // Tells the bar how runs stand: outstanding, or how the last one ended.
    void ShowStatus();

    void OnDeferredSend(bool sent) override;

private:
    enum class State {
        Idle,
        LookingUp,      // our request waits for its server's name
        OwnExchange,    // our request is out, or its reply waits for the tick
        ThroughService, // the service has the request, or its answer waits for the tick
    };
    enum class Asker { Timer, SyncWindow };

    // One entry of an outcome: what the log says and what the "sync" window says, each
    // under the same time stamp; an empty text is not written there.
    struct Entry {
        ActivityLog::Kind kind;
        CivilTime at;
        std::string logText;
        std::string windowText;
    };
    struct Outcome {
        std::optional<bool> succeeded; // nothing: the bar's status stays as it was
        std::vector<Entry> entries;
        bool toSyncWindow = true;
    };

    void Start(Asker asker);
    bool StartThroughService(Asker asker);
    void StartOwnExchange(Asker asker);
    void RequestSent(State state, Asker asker);
    // The request entry of the log and the "sync" window's word that it left.
    void TellRequestSent(Asker asker);
    void RequestFailed(Asker asker, std::string logText);
    // The request never left: it could not be sent, or the server's name never came.
    void SendFailed(Asker asker);
    void Finish(const CivilTime& tickTime);
    Outcome OwnOutcome(const CivilTime& tickTime);
    Outcome ServiceOutcome(const CivilTime& tickTime, const std::optional<ServiceReply>& answer);
    // The one place an outcome reaches the log, the bar and the "sync" window.
    void Report(const Outcome& outcome);
    void TellBar(std::uintptr_t status);

    Platform& m_platform;
    ActivityLog& m_log;
    std::function<void()> m_logShown;
    SntpClient m_sntp;
    TimeServiceRun m_service;
    State m_state = State::Idle;
    Asker m_asker = Asker::Timer; // who started the run in hand
    bool m_lastSucceeded = true;  // as before the first run
};

} // namespace hv
