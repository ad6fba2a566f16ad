#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The servers an administrator allows the time service to measure against, kept
// normalised (NormaliseServerName) and without repeats, in the order they were approved.
// Stored as one registry string, the names separated by spaces.
class ApprovedServers {
public:
    ApprovedServers() = default;
    // Reads the stored form; words that Add would refuse are left out.
    static ApprovedServers FromStored(std::string_view stored);
    std::string Stored() const;

    // Exact match after normalisation; a text that is no server name matches nothing.
    bool Contains(std::string_view server) const;
    // False when the text is no server name or a single label (IsSingleLabel); approving
    // twice keeps one entry.
    bool Add(std::string_view server);
    // False when the server was not on the list.
    bool Remove(std::string_view server);

    const std::vector<std::string>& Names() const { return m_names; }

private:
    std::vector<std::string> m_names;
};

} // namespace hv
