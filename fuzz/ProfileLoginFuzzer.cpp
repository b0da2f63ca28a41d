// libFuzzer target: the login of a profile address, the session-token cut
// and the reading of an indirect link's page. Nothing may be downloaded: the
// client set-up refuses every request.
#include "FuzzSupport.h"

#include "web/ProfileLogin.h"

#include <cstdlib>
#include <stdexcept>

namespace {
struct NoNetwork : std::exception {};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzzsupport::Text(data, size);
    try {
        const std::string login = web::ExtractProfileLogin(input, [](TSubmit&) { throw NoNetwork(); });
        for (char c : login)
            if (c >= 'A' && c <= 'Z') std::abort(); // logins come out in lower case
    } catch (const NoNetwork&) {
    }
    (void)web::CutSessionToken(input);
    (void)web::FindProfileAddress(input);
    return 0;
}
