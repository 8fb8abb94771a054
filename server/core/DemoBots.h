// The demo mode: one demo account anyone running the server locally can log in with, and
// three demo contacts on its list that are sessions inside the server (no sockets). On a
// timer they come online, go away with a message, join a game server, come back and go
// offline, each at its own point of the round. The accounts are made once per database;
// the first demo contact's greeting is stored for the demo account when it is made.
#ifndef KVX_SERVER_DEMOBOTS_H
#define KVX_SERVER_DEMOBOTS_H

#include <asio.hpp>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AccountStore.h"
#include "ContactService.h"
#include "ContactSink.h"
#include "ContactStore.h"
#include "PasswordHash.h"

namespace kvxserver {

class DemoBots {
public:
    static constexpr const char* kPassword = "kvxdemo";
    static constexpr std::chrono::seconds kStepTime{4};

    DemoBots(asio::io_context& loop, AccountStore& accounts, ContactStore& contacts, ContactService& service,
             const PasswordHash& hash);
    // The demo contacts still online leave.
    ~DemoBots();
    DemoBots(const DemoBots&) = delete;
    DemoBots& operator=(const DemoBots&) = delete;

    // Finds or makes the accounts; false with the reason when the store fails.
    bool Prepare(std::string& error);
    std::int32_t account() const { return account_; }

    // Starts the round; Stop takes every demo contact offline and lets the loop run out.
    void Start();
    void Stop();

private:
    // A demo contact: deliveries to it are dropped, nobody reads them.
    struct Bot : ContactSink {
        std::int32_t account = 0;
        std::size_t step = 0;
        bool online = false;
        void Deliver(std::uint16_t, const void*, std::size_t) override {}
    };

    std::int32_t FindOrCreate(const char* nickname, const char* email, const std::string& password, bool& created);
    void Arm();
    void Step(Bot& bot);

    asio::steady_timer timer_;
    AccountStore& accounts_;
    ContactStore& contacts_;
    ContactService& service_;
    const PasswordHash& hash_;
    std::int32_t account_ = 0;
    std::vector<std::unique_ptr<Bot>> bots_;
    bool stopped_ = false;
};

} // namespace kvxserver

#endif
