// Fuzzes what a connection does with the bytes a client sends: frames cut out by the frame
// reader, fed to the protocol with the real account service (an in-memory database, the
// cheapest hashing) answering. The first input byte sets how the rest is cut into reads.
// Besides the sanitizers' checks, every frame the server sends must fit the wire, a login
// must never be accepted before the version, and nothing may be sent after hanging up.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/AccountService.h"
#include "core/AccountStore.h"
#include "core/ClientProtocol.h"
#include "core/FrameReader.h"
#include "core/HashWorker.h"
#include "core/Options.h"
#include "core/PasswordHash.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

using namespace kvxserver;

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

class CheckingPeer : public ProtocolPeer {
public:
    void Send(std::uint16_t type, const void* payload, std::size_t length) override {
        if (finished) Fail("frame sent after Finish");
        if (length > kvxwire::kMaxPayload) Fail("payload longer than a frame holds");
        if (length > 0 && payload == nullptr) Fail("payload missing");
        if (type == PKT_VERSION_OK) versionAccepted = true;
        if (type == PKT_LOGIN_OK && !versionAccepted) Fail("login accepted before version");
    }
    void Finish(const char*) override { finished = true; }
    void Resume() override {}

    bool finished = false;
    bool versionAccepted = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t readSize = 1 + data[0] % 97;
    ++data;
    --size;

    asio::io_context loop;
    Options options;
    options.motd = "fuzz";
    options.minBuild = BUILD_NUMBER;
    AccountStore store;
    std::string error;
    if (!store.Open(":memory:", error)) Fail(error.c_str());
    PasswordHash hash(true);
    HashWorker worker(loop, 0);
    AccountService accounts(store, hash, worker, options);
    CheckingPeer peer;
    ClientProtocol protocol(accounts, options, peer, "192.0.2.1", {192, 0, 2, 1}, "fuzz");
    FrameReader reader;

    std::size_t offset = 0;
    bool dropped = false;
    while (!dropped && !peer.finished) {
        for (;;) {
            if (protocol.Busy()) {
                loop.restart();
                loop.run();
                if (protocol.Busy()) Fail("an account check never answered");
                continue;
            }
            const kvxwire::FrameView frame = reader.Peek();
            if (frame.state == kvxwire::FrameState::NeedMore) break;
            if (frame.state == kvxwire::FrameState::Broken) {
                dropped = true;
                break;
            }
            std::string reason;
            const bool keep = protocol.OnFrame(frame.type, frame.payload, frame.length, reason);
            reader.Consume(frame.frameSize);
            if (!keep && reason.empty()) Fail("dropped without a reason");
            if (!keep || peer.finished) {
                dropped = !keep;
                break;
            }
        }
        if (dropped || peer.finished || offset == size) break;
        std::uint8_t* space = reader.Space();
        std::size_t n = std::min(readSize, size - offset);
        n = std::min(n, reader.SpaceSize());
        std::memcpy(space, data + offset, n);
        reader.Commit(n);
        offset += n;
    }
    loop.restart();
    loop.run();
    return 0;
}
