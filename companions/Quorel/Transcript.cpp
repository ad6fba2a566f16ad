#include "Quorel/Transcript.h"

#include "common/CleanText.h"

namespace hv {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

} // namespace

void Transcript::Append(std::string_view text) {
    if (text.empty()) return;
    std::string cleaned;
    cleaned.reserve(text.size() + kLineEnd.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            // "\r\n", a lone "\n" and a lone "\r" all end one line.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            cleaned += kLineEnd;
        } else if (c == '\t' || !IsControlCharacter(c)) {
            cleaned += c;
        }
    }
    if (cleaned.empty()) return;
    if (cleaned.size() < kLineEnd.size() ||
        cleaned.compare(cleaned.size() - kLineEnd.size(), kLineEnd.size(), kLineEnd) != 0) {
        cleaned += kLineEnd;
    }
    m_text += cleaned;
    if (m_text.size() <= kTranscriptLimit) return;
    // Whole lines go from the front until what is left fits.
    const std::size_t cut = m_text.find(kLineEnd, m_text.size() - kTranscriptLimit);
    m_text.erase(0, cut == std::string::npos ? m_text.size() : cut + kLineEnd.size());
}

} // namespace hv
