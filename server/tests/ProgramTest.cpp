// The server as a program: its command line, start-up failures, stopping on a signal, and
// what it keeps on disk across restarts.
#include <sodium.h>
#include <sqlite3.h>

#include "core/Options.h"
#include "core/PasswordHash.h"
#include "core/Statement.h"
#include "support/ServerTest.h"

using Program = ServerTest;

TEST(Options, BadValuesAreRefusedWithTheReasonAndTheLimitsThemselvesAreTaken)
{
    std::vector<std::string> tooMany;
    for (std::size_t i = 0; i <= kMaxGameServers; ++i) tooMany.insert(tooMany.end(), {"--game-server", "10.0.0.1"});
    // error: empty when the value is taken
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--port", "65535"}, ""},
        {{"--port", "65536"}, "--port: expected a number from 0 to 65535, got '65536'"},
        {{"--first-frame-seconds", "3600"}, ""},
        {{"--first-frame-seconds", "3601"}, "--first-frame-seconds: expected a number from 1 to 3600, got '3601'"},
        {{"--min-build", "12abc"}, "--min-build: expected a number from 0 to 4294967295, got '12abc'"},
        {{"--node-lease-seconds", "0"}, "--node-lease-seconds: expected a number from 1 to 3600, got '0'"},
        {{"--db"}, "--db: unknown option or missing value"},
        {{"--db", ""}, "--db: the path may not be empty"},
        {{"--bogus", "1"}, "--bogus: unknown option"},
        {{"--demo-file", "x"}, "--demo-file: only with --demo"},
        {{"--game-server", "10.0.0.1:65535"}, ""},
        {{"--game-server", "10.0.0.1:0"}, "--game-server: the port must be 1 to 65535 in '10.0.0.1:0'"},
        {{"--game-server", "10.0.0.1:65536"}, "--game-server: the port must be 1 to 65535 in '10.0.0.1:65536'"},
        {{"--game-server", ":27910"}, "--game-server: no IPv4 address for ''"},
        {{"--game-server", "no.such.host.invalid"}, "--game-server: no IPv4 address for 'no.such.host.invalid'"},
        {tooMany, "--game-server: at most 255 servers"},
        {{"--cert", "server.pem"}, "--cert and --key: give both or neither"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv;
        for (const std::string& arg : c.args) argv.push_back(arg.c_str());
        kvxserver::Options options;
        std::string error;
        EXPECT_EQ(options.Parse(static_cast<int>(argv.size()), argv.data(), error), c.error.empty()) << c.args[0];
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(Program, ExitsTwoOnABadCommandLineOneWhenItCannotStartAndZeroOnASignalAndWhatItStoresIsDurable)
{
    Start();
    sqlite3* newer = nullptr;
    ASSERT_EQ(sqlite3_open(File("newer.db").c_str(), &newer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(newer, "PRAGMA user_version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(newer);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--help"}, 0, "--keepalive-seconds N"},
        {{"--port", "0", "--keepalive-seconds", "0"}, 2, "kvx-server: --keepalive-seconds: expected a number"},
        {{"--bind", "127.0.0.1", "--port", std::to_string(port()), "--db", File("other.db")}, 1, "cannot listen on"},
        {{"--bind", "not-an-address", "--port", "0", "--db", File("other.db")}, 1, "bad bind address"},
        {{"--port", "0", "--db", File("missing/kvx.db")}, 1, "cannot open"},
        {{"--port", "0", "--db", File("newer.db")}, 1, "schema version 99 is newer"}, // left alone, not misread
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(Run(c.args, output), c.status) << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
    }

    // Signals stop it cleanly (the first while the one above still runs).
    for (const int signal : {SIGTERM, SIGINT}) {
        if (signal == SIGINT) Start();
        Client online(port(), signal == SIGTERM ? "Keeper" : "Next");
        WirePeer idle(port());
        EXPECT_EQ(online.account(), signal == SIGTERM ? 10000 : 10001) << "numbers are not reused";
        EXPECT_EQ(Stop(signal), 0) << signal;
        EXPECT_TRUE(idle.ClosedWithin(1000) && online.ClosedWithin(1000)) << signal;
    }
    // A write-ahead log, commits synced in full, argon2id hashes: with the interactive limits
    // unless --fast-hash.
    Seed([](kvxserver::AccountStore& accounts, kvxserver::ContactStore&) {
        kvxserver::Statement query(accounts.Database(),
                                   "SELECT password_hash FROM accounts UNION ALL SELECT * FROM "
                                   "pragma_journal_mode UNION ALL SELECT * FROM pragma_synchronous");
        for (const char* expected : {"$argon2id$", "$argon2id$", "wal", "2"}) {
            ASSERT_EQ(query.Next(), kvxserver::Statement::Step::Row);
            EXPECT_EQ(query.Text(0).rfind(expected, 0), 0u);
        }
    });
    const std::string production = kvxserver::PasswordHash(false).Hash("pw");
    EXPECT_EQ(crypto_pwhash_str_needs_rehash(production.c_str(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                             crypto_pwhash_MEMLIMIT_INTERACTIVE),
              0);
}
