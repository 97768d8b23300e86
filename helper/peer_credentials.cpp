#include "peer_credentials.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace tidewell::helper {

namespace {

bool readAll(int descriptor, void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        ssize_t count = ::read(descriptor, bytes, size);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

// In the forked child only: raw system calls, so that no library lock or
// thread bookkeeping of the parent is involved. Groups first, then the group,
// then the user: after setresuid the child could change nothing else.
[[noreturn]] void becomePeerAndRun(const PeerCredentials& peer, void (*check)(const void*, void*), const void* argument,
                                   void* result, std::size_t resultSize, int output) {
    if (::syscall(SYS_setgroups, peer.groups.size(), peer.groups.data()) != 0 ||
        ::syscall(SYS_setresgid, peer.gid, peer.gid, peer.gid) != 0 ||
        ::syscall(SYS_setresuid, peer.uid, peer.uid, peer.uid) != 0)
        ::_exit(1);
    check(argument, result);
    const bool written = ::write(output, result, resultSize) == static_cast<ssize_t>(resultSize);
    ::_exit(written ? 0 : 1);
}

}  // namespace

std::optional<PeerCredentials> peerCredentialsOf(int connection) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
    PeerCredentials peer{credentials.uid, credentials.gid, {}};
    std::vector<gid_t> groups(64);
    socklen_t groupBytes = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &groupBytes) != 0) {
        if (errno == ERANGE) {
            groups.resize(groupBytes / sizeof(gid_t));
            groupBytes = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
            if (::getsockopt(connection, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &groupBytes) != 0) groupBytes = 0;
        } else {
            groupBytes = 0;
        }
    }
    // Without the peer's groups it is checked with its primary group alone: fewer rights, never more.
    groups.resize(groupBytes / sizeof(gid_t));
    peer.groups = std::move(groups);
    return peer;
}

namespace detail {

bool runWithPeerRights(const PeerCredentials& peer, void (*check)(const void*, void*), const void* argument,
                       void* result, std::size_t resultSize) {
    if (peer.uid == 0) {
        check(argument, result);
        return true;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return false;
    pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        becomePeerAndRun(peer, check, argument, result, resultSize, ends[1]);
    }
    ::close(ends[1]);
    const bool received = child > 0 && readAll(ends[0], result, resultSize);
    ::close(ends[0]);
    int status = 0;
    if (child > 0)
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    return received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace detail

}  // namespace tidewell::helper
