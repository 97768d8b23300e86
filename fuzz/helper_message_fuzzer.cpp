// Fuzz target over the decoder of the privileged helper's messages.
// Built and run by scripts/fuzz.sh (the CMake option TIDEWELL_FUZZ).
// Contract: no input crashes; whatever decodes re-encodes to an archive that decodes the same.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/helper_protocol.h"

namespace {

using namespace tidewell::platform;

void decodeEveryClass(const HelperArchive& archive) {
    (void)decodeHelperObject<TWHelperRawReadRequest>(archive);
    (void)decodeHelperObject<TWHelperRawReadResult>(archive);
    (void)decodeHelperObject<TWHelperPathRequest>(archive);
    (void)decodeHelperObject<TWHelperOwnershipRequest>(archive);
    (void)decodeHelperObject<TWHelperPlanRequest>(archive);
    (void)decodeHelperObject<TWHelperMetadata>(archive);
    (void)decodeHelperObject<TWHelperVerification>(archive);
    (void)decodeHelperObject<TWHelperOperationResult>(archive);
    (void)decodeHelperError(archive);
}

void checkRoundTrip(const HelperArchive& archive) {
    decodeEveryClass(archive);
    auto again = decodeHelperFrame(encodeHelperFrame(archive));
    if (!again || !(*again == archive)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    if (auto archive = decodeHelperFrame(bytes)) checkRoundTrip(*archive);
    // The same bytes as a bare header, the first bytes as bulk data.
    const std::size_t split = size > 0 ? data[0] % (size + 1) : 0;
    auto bulk = bytes.first(split);
    if (auto archive = decodeHelperArchive(bytes.subspan(split), HelperBytes(bulk.begin(), bulk.end())))
        checkRoundTrip(*archive);
    if (size >= HelperArchiveLimits::prefixLength) (void)decodeHelperFramePrefix(bytes.first(8));
    return 0;
}
