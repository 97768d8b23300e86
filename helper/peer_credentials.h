#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace tidewell::helper {

// Who asks: the connecting process's identity as the kernel recorded it when
// it connected (SO_PEERCRED, SO_PEERGROUPS).
struct PeerCredentials {
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
};

std::optional<PeerCredentials> peerCredentialsOf(int connection);

namespace detail {
bool runWithPeerRights(const PeerCredentials& peer, void (*check)(const void*, void*), const void* argument,
                       void* result, std::size_t resultSize);
}  // namespace detail

// Runs check in a child process that holds only the peer's identity, so that
// the kernel applies the peer's rights, never the helper's. The helper's own
// threads keep their credentials. A root peer is checked in this process.
// The result is one small value passed back through a pipe; nothing when the
// child could not run or take the peer's identity.
template <typename Value>
std::optional<Value> withPeerRights(const PeerCredentials& peer, Value (*check)(const void*), const void* argument) {
    struct Call {
        Value (*check)(const void*);
        const void* argument;
    } call{check, argument};
    Value value{};
    auto trampoline = [](const void* callArgument, void* out) {
        const auto* inner = static_cast<const Call*>(callArgument);
        *static_cast<Value*>(out) = inner->check(inner->argument);
    };
    if (!detail::runWithPeerRights(peer, trampoline, &call, &value, sizeof value)) return std::nullopt;
    return value;
}

}  // namespace tidewell::helper
