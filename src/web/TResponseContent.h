#pragma once
// Where TSubmit::Get puts a response body. The image library's streams adapt
// themselves to it; a std::string is served by TSubmit::Get's own overload.

#include <string_view>

class TResponseContent {
public:
    virtual ~TResponseContent() = default;
    // Receives the whole body of a successful response, in one call; it is
    // not called at all after a failure, so the target stays as it was.
    virtual void Write(std::string_view bytes) = 0;
};
