// Fuzzes what a connection does with the bytes a client sends (and what the ping responder
// makes of them as one datagram): frames cut out by the frame reader, fed to the protocol
// with the real account service (an in-memory database, the cheapest hashing) answering.
// The first input byte sets how the rest is cut into reads. Another account (10000) is
// online as a session of its own before the input starts, so the contact packets reach
// someone: the input's sign-up gets 10001. Besides the sanitizers' checks, every frame the
// server sends must fit the wire, every event its stated length, a login must never be
// accepted before the version, nothing may be sent after hanging up, and no contact packet
// may be answered before a login.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/AccountService.h"
#include "core/AccountStore.h"
#include "core/ClientProtocol.h"
#include "core/ContactService.h"
#include "core/ContactStore.h"
#include "core/FrameReader.h"
#include "core/HashWorker.h"
#include "core/Options.h"
#include "core/PasswordHash.h"
#include "core/PingResponder.h"
#include "core/PresenceHub.h"
#include "core/TransferService.h"
#include "core/TransferStore.h"
#include "wire/Frame.h"
#include "wire/Contacts.h"
#include "wire/Packets.h"

using namespace kvxserver;

namespace {

void Fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void CheckFrame(std::uint16_t type, const void* payload, std::size_t length)
{
    if (length > kvxwire::kMaxPayload) Fail("payload longer than a frame holds");
    if (length > 0 && payload == nullptr) Fail("payload missing");
    if (type == PKT_NEW_EVENT) {
        EventHead head;
        if (length < kEventDataOffset) Fail("event shorter than its head");
        std::memcpy(&head, payload, sizeof head);
        if (head.length > kMaxEventData) Fail("event data longer than the client holds");
        if (kEventDataOffset + head.length != length) Fail("event length disagrees with the payload");
    }
    if ((type == PKT_SEARCH_RESULT || type == PKT_INFO_RESULT) && length != sizeof(ProfileList)) {
        Fail("profile list of the wrong size");
    }
}

class CheckingPeer : public ProtocolPeer {
public:
    void Send(std::uint16_t type, const void* payload, std::size_t length) override
    {
        if (finished) Fail("frame sent after Finish");
        CheckFrame(type, payload, length);
        if (type == PKT_VERSION_OK) versionAccepted = true;
        if (type == PKT_LOGIN_OK) {
            if (!versionAccepted) Fail("login accepted before version");
            loggedIn = true;
        }
        const bool contactAnswer = type == PKT_NEW_EVENT || type == PKT_SEARCH_RESULT || type == PKT_INFO_RESULT;
        if (contactAnswer && !loggedIn) Fail("contact answer before login");
    }
    void Finish(const char*) override { finished = true; }
    void Resume() override {}

    bool finished = false;
    bool versionAccepted = false;
    bool loggedIn = false;
};

// The other account's session: checks what reaches it, as a client would read it.
class OtherSession : public ContactSink {
public:
    void Deliver(std::uint16_t type, const void* payload, std::size_t length) override
    {
        CheckFrame(type, payload, length);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    // The same bytes as one datagram to the ping responder: answered alike or not at all.
    std::uint8_t pong[kvxwire::kMaxFrame];
    const std::size_t answered = PingResponder::Answer(data, size, pong);
    if (answered != 0 && (answered != size || kvxwire::ReadU16(pong) != PKT_SERVER_PONG))
        Fail("a ping answered unlike");
    const std::size_t readSize = 1 + data[0] % 97;
    ++data;
    --size;

    asio::io_context loop;
    Options options;
    options.motd = "fuzz";
    options.news = "fuzz news";
    options.minBuild = BUILD_NUMBER;
    AccountStore store;
    std::string error;
    if (!store.Open(":memory:", error)) Fail(error.c_str());
    PasswordHash hash(true);
    HashWorker worker(loop, 0);
    AccountService accounts(store, hash, worker, options);
    ContactStore contactStore(store.Database());
    PresenceHub hub;
    ContactService contacts(store, contactStore, hub, options);
    // Offered files go to a folder of this process's own, emptied after every input.
    static const std::string folder = [] {
        char path[] = "/tmp/kvx-fuzz-files-XXXXXX";
        if (mkdtemp(path) == nullptr) Fail("no folder for offered files");
        return std::string(path);
    }();
    options.maxFileMegabytes = 1;
    TransferStore transferStore(store.Database(), folder);
    TransferService transfers(store, transferStore, hub, worker, options);
    contacts.ServeTransfers(transfers);
    if (store.Create("Other", "other@example.com", hash.Hash("pw"), 0) != AccountStore::kFirstAccount) {
        Fail("the other account was not made");
    }
    OtherSession other;
    contacts.Join(AccountStore::kFirstAccount, other);
    CheckingPeer peer;
    ClientProtocol protocol(accounts, contacts, options, peer, "192.0.2.1", {192, 0, 2, 1}, "fuzz");
    FrameReader reader;

    std::size_t offset = 0;
    bool dropped = false;
    while (!dropped && !peer.finished) {
        for (;;) {
            if (protocol.Busy()) {
                loop.restart();
                loop.run();
                // cppcheck-suppress identicalInnerCondition ; loop.run() runs the check's answer, which clears Busy()
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
    protocol.OnClosed();
    contacts.Leave(AccountStore::kFirstAccount, other);
    for (const auto& file : std::filesystem::directory_iterator(folder)) std::filesystem::remove(file.path());
    return 0;
}
