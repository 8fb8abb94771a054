// What every server test stands on: the real kvx-server program started on a free loopback
// port with its database in the test's own temporary folder, and clients that sign up, log
// in and speak the contact protocol to it. Every wait has a deadline, so a missing answer
// fails a test instead of hanging it. The server's log goes to the test's stderr.
#ifndef KVX_SERVER_TESTS_SERVERTEST_H
#define KVX_SERVER_TESTS_SERVERTEST_H

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>

#include "support/WireClient.h"
#include "core/AccountStore.h"
#include "core/ContactStore.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"

struct Event {
    std::uint16_t kind = 0; // 0: none came in time
    std::int32_t from = 0;
    std::vector<std::uint8_t> data;

    template <typename Record> Record As() const
    {
        Record record{}; // zeros for an event that never came, whose data is no pointer at all
        if (!data.empty()) std::memcpy(&record, data.data(), std::min(sizeof record, data.size()));
        return record;
    }
};

bool Has(const std::vector<Event>& events, std::uint16_t kind);

// A record's bytes as the wire carries them, for a frame built with Frame().
template <typename Record> std::string BytesOf(const Record& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

class Client : public WirePeer {
public:
    Client(const char* host, std::uint16_t port) : WirePeer(port, host) {}
    // Signs up as nickname (e-mail nickname@example.com, password "pw") and logs in.
    Client(std::uint16_t port, const std::string& nickname, const char* host = "127.0.0.1");
    // Logs in to an existing account.
    Client(std::uint16_t port, std::int32_t account, const std::string& password = "pw",
           const char* host = "127.0.0.1");

    bool online() const { return online_; }
    std::int32_t account() const { return account_; }
    template <typename Record> void Put(std::uint16_t type, const Record& record)
    {
        Send(type, &record, sizeof record);
    }

    // The next event of this kind (from this account, when given); others wait for later.
    Event WaitEvent(std::uint16_t kind, std::int32_t from = 0);
    Packet WaitPacket(std::uint16_t type)
    {
        return Take([type](const Packet& f) { return f.type == type; });
    }
    // Every event the packets sent so far brought: the server answers in order, so all of
    // them came before the answer to a request sent now. Other frames are dropped.
    std::vector<Event> Settle();

    struct List {
        bool complete = false; // the end of the list came
        std::vector<ContactRecord> contacts;
        std::vector<Event> stored; // what came after the list: stored events, news
    };
    // CONTACTS_REQUEST, and everything it is answered with.
    List RequestList();

private:
    Packet Take(const std::function<bool(const Packet&)>& match);

    std::deque<Packet> pending_;
    std::int32_t account_ = 0;
    bool online_ = false;
};

class ServerTest : public ::testing::Test {
protected:
    ServerTest();
    ~ServerTest() override;

    // Starts kvx-server with --bind 127.0.0.1 --port 0 --db <the test's database> --fast-hash
    // and extra, and waits for its "listening on" line.
    void Start(const std::vector<std::string>& extra = {});
    // Sends the signal and waits for the exit: its status, or -1 for none in time.
    int Stop(int signal);
    std::uint16_t port() const { return port_; }
    // The certificate fingerprint the server printed at start.
    const std::string& fingerprint() const { return fingerprint_; }
    std::string File(const std::string& name) const { return folder_ + "/" + name; }

    // Writes straight into the test's database, in one transaction, while no server runs:
    // for set-ups of a thousand rows that the wire would take seconds to make.
    void Seed(const std::function<void(kvxserver::AccountStore&, kvxserver::ContactStore&)>& fill);
    // An account as a sign-up makes it: e-mail nickname@example.com, password "pw".
    static std::int32_t SeedAccount(kvxserver::AccountStore& store, const std::string& nickname);

    // Runs the program to its end with just these arguments: its exit status (-1 for none in
    // time) and what it wrote to stdout and stderr.
    static int Run(const std::vector<std::string>& args, std::string& output);
    // Runs a shell command line to its end: its exit status and what it wrote to stdout.
    static int Shell(const std::string& command, std::string& output);

private:
    std::string folder_;
    FILE* output_ = nullptr; // the server's stdout
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    std::string fingerprint_;
};

#endif
