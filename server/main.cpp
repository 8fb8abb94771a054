// kvx-server: the KVX presence server. Prints "listening on <address>:<port>" once bound,
// then "TLS certificate SHA-256 fingerprint <AB:CD:...>",
// logs to stderr, and exits 0 on SIGTERM or SIGINT after closing every connection.
#include <asio.hpp>
#include <sodium.h>

#include <csignal>
#include <ctime>
#include <functional>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "core/AccountService.h"
#include "core/AccountStore.h"
#include "core/ClusterNode.h"
#include "core/ContactService.h"
#include "core/ContactStore.h"
#include "core/DemoBots.h"
#include "core/HashWorker.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/PasswordHash.h"
#include "core/PingResponder.h"
#include "core/PresenceHub.h"
#include "core/Server.h"
#include "core/TransferService.h"
#include "core/TransferStore.h"

using namespace kvxserver;

namespace {

bool WriteDemoFile(const std::string& path, std::int32_t account)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    const bool written = std::fprintf(file, "ID=%d\nPW=%s\n", account, DemoBots::kPassword) > 0;
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!options.Parse(argc - 1, argv + 1, error)) {
        if (error.empty()) {
            std::fputs(Options::Usage(), stdout);
            return 0;
        }
        std::fprintf(stderr, "kvx-server: %s\n%s", error.c_str(), Options::Usage());
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);

    PasswordHash hash(options.fastHash);
    if (!hash.Ready()) {
        LogLine("the crypto library could not start");
        return 1;
    }
    AccountStore store;
    if (!store.Open(options.databasePath, error)) {
        LogLine("%s", error.c_str());
        return 1;
    }

    asio::io_context loop(1);
    {
        HashWorker worker(loop, options.hashThreads);
        AccountService accounts(store, hash, worker, options);
        ContactStore contactStore(store.Database());
        PresenceHub hub;
        ContactService contacts(store, contactStore, hub, options);
        TransferStore transferStore(store.Database(), options.fileDir);
        if (!transferStore.Open(error)) {
            LogLine("%s", error.c_str());
            return 1;
        }
        TransferService transfers(store, transferStore, hub, worker, options);
        contacts.ServeTransfers(transfers);
        asio::steady_timer expiry(loop);
        std::function<void()> expire = [&] {
            transfers.Expire(static_cast<std::int64_t>(std::time(nullptr)));
            expiry.expires_after(std::chrono::hours(1));
            expiry.async_wait([&](const asio::error_code& cancelled) {
                if (!cancelled) expire();
            });
        };
        expire();
        // Declared before the demo, which may still announce its users as it goes.
        std::optional<ClusterNode> cluster;
        std::unique_ptr<DemoBots> demo;
        if (options.demo) {
            demo = std::make_unique<DemoBots>(loop, store, contactStore, contacts, hash);
            if (!demo->Prepare(error)) {
                LogLine("%s", error.c_str());
                return 1;
            }
            LogLine("demo account %d, password %s", demo->account(), DemoBots::kPassword);
            if (!options.demoFile.empty() && !WriteDemoFile(options.demoFile, demo->account())) {
                LogLine("cannot write %s", options.demoFile.c_str());
                return 1;
            }
        }
        Server server(loop, options, accounts, contacts);
        if (!server.Listen(error)) {
            LogLine("%s", error.c_str());
            return 1;
        }
        const asio::ip::tcp::endpoint bound = server.LocalEndpoint();
        PingResponder pings(loop);
        if (!pings.Listen(bound, error)) {
            LogLine("%s", error.c_str());
            return 1;
        }
        // On a shared PostgreSQL database this server is one node of a cluster. A restarted
        // node is a new one to the others: its name ends in a fresh random number.
        if (IsPostgresUri(options.databasePath)) {
            char tag[16];
            std::snprintf(tag, sizeof tag, "%08x", randombytes_random());
            cluster.emplace(loop, options, hub,
                            bound.address().to_string() + ":" + std::to_string(bound.port()) + "/" + tag);
            contacts.SetCluster(&*cluster);
            cluster->Start();
        }
        std::printf("listening on %s:%u\n", bound.address().to_string().c_str(), bound.port());
        std::printf("TLS certificate SHA-256 fingerprint %s\n", server.Fingerprint().c_str());
        std::fflush(stdout);
        LogLine("listening on %s:%u, database %s, minimum build %u%s", bound.address().to_string().c_str(),
                bound.port(), IsPostgresUri(options.databasePath) ? "PostgreSQL" : options.databasePath.c_str(),
                options.minBuild, options.fastHash ? ", fast hashing" : "");
        LogLine("TLS certificate SHA-256 fingerprint %s%s", server.Fingerprint().c_str(),
                options.allowPlaintext ? ", clear-text clients allowed" : "");

        asio::signal_set signals(loop, SIGINT, SIGTERM);
        signals.async_wait([&](const asio::error_code& failure, int signal) {
            if (failure) return;
            LogLine("signal %d, stopping", signal);
            if (demo) demo->Stop();
            pings.Stop();
            expiry.cancel();
            server.Stop();
            if (cluster) cluster->Stop();
        });
        if (demo) demo->Start();

        loop.run();
    }
    store.Close();
    LogLine("stopped");
    return 0;
}
