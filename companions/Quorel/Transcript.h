#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace hv {

// The texts Horvane reported, one after another, as the transcript shows them. They come
// from another process, so each is cleaned before it is kept: line breaks become "\r\n",
// other control characters go, and a text always ends its line. The oldest lines give way
// once the whole passes kTranscriptLimit, so a window left open for months stays light.
class Transcript {
public:
    static constexpr std::size_t kTranscriptLimit = 32 * 1024;

    void Append(std::string_view text);
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

} // namespace hv
