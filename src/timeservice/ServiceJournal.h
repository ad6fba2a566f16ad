#pragma once
#include <string_view>

namespace hv {

// The time service's own small log: the Windows event log in the service, a list in tests.
class ServiceJournal {
public:
    enum class Kind { Information, Warning, Error };
    virtual void Write(Kind kind, std::string_view text) = 0;

protected:
    ~ServiceJournal() = default;
};

} // namespace hv
