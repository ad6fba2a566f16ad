#include "ServicePipe.h"

#include "Arguments.h"
#include "Output.h"
#include "Polling.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {
namespace {

// Read, write data and attributes (for the message mode): what any user may ask of the pipe.
constexpr DWORD kClientAccess = 0x12018b;
constexpr DWORD kLongestReply = 4096;

std::optional<std::vector<BYTE>> FromHex(const std::string& text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<BYTE> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto value = ParseNumber("0x" + text.substr(i, 2));
        if (!value) return std::nullopt;
        bytes.push_back(static_cast<BYTE>(*value));
    }
    return bytes;
}

} // namespace

int RunPipeSend(const Arguments& args) {
    const auto bytes = args[1] == "-" ? std::optional<std::vector<BYTE>>(std::vector<BYTE>{}) : FromHex(args[1]);
    const auto seconds = ParseSeconds(args[2]);
    if (!bytes || !seconds) {
        PrintError("expected: pipe-send PIPE HEX|- SECONDS");
        return kExitUsage;
    }
    HANDLE pipe = CreateFileA(args[0].c_str(), kClientAccess, 0, nullptr, OPEN_EXISTING,
                              SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        PrintFact("open-error", Decimal(GetLastError()));
        return kExitFailed;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(pipe, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
    DWORD available = 0;
    const bool replied = PollUntil(
        *seconds, [&] { return PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0; });
    std::vector<BYTE> reply(kLongestReply);
    DWORD got = 0;
    if (replied) ReadFile(pipe, reply.data(), kLongestReply, &got, nullptr);
    CloseHandle(pipe);
    PrintFact("reply", replied ? HexBytes(reply.data(), got) : "none");
    return replied ? kExitOk : kExitFailed;
}

} // namespace driver
