// The server as a program: command line, start-up failures, restarts over the same
// database, and shutting down cleanly on a signal.
#include <gtest/gtest.h>

#include <signal.h>
#include <sodium.h>
#include <sqlite3.h>

#include <string>

#include "core/AccountStore.h"
#include "core/PasswordHash.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "support/WireClient.h"
#include "wire/Packets.h"

namespace {

std::string Query(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    return value;
}

} // namespace

TEST(Lifecycle, AccountsSurviveARestartOnTheSameDatabase) {
    TempDir dir;
    std::int32_t account = 0;
    {
        ServerProcess server(dir.File("kvx.db"));
        ASSERT_NE(server.port(), 0);
        WireClient client(server.port());
        ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
        account = client.Signup("Keeper", "keeper@example.com", "keep");
        ASSERT_EQ(account, 10000);
        EXPECT_EQ(server.Stop(SIGTERM), 0);
    }
    {
        // What is on disk: a write-ahead log, commits synced in full, argon2id hashes only.
        kvxserver::AccountStore store;
        std::string error;
        ASSERT_TRUE(store.Open(dir.File("kvx.db"), error)) << error;
        EXPECT_EQ(Query(store.Database(), "PRAGMA journal_mode"), "wal");
        EXPECT_EQ(Query(store.Database(), "PRAGMA synchronous"), "2") << "FULL";
        EXPECT_EQ(Query(store.Database(), "SELECT password_hash FROM accounts").rfind("$argon2id$", 0), 0u);
        const std::string production = kvxserver::PasswordHash(false).Hash("keep");
        EXPECT_EQ(production.rfind("$argon2id$", 0), 0u);
        EXPECT_EQ(crypto_pwhash_str_needs_rehash(production.c_str(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                                 crypto_pwhash_MEMLIMIT_INTERACTIVE),
                  0)
            << "without --fast-hash, the interactive limits";
    }
    ServerProcess again(dir.File("kvx.db"));
    ASSERT_NE(again.port(), 0);
    WireClient client(again.port());
    ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
    EXPECT_EQ(client.Login(account, "nope"), PKT_LOGIN_FAILED);
    EXPECT_EQ(client.Login(account, "keep"), PKT_LOGIN_OK);
    WireClient other(again.port());
    ASSERT_EQ(other.Version(BUILD_NUMBER), PKT_VERSION_OK);
    EXPECT_EQ(other.Signup("Next", "next@example.com", "n"), 10001) << "numbers are not reused";
}

TEST(Lifecycle, TermAndIntSignalsCloseClientsAndExitZero) {
    for (int signal : {SIGTERM, SIGINT}) {
        TempDir dir;
        ServerProcess server(dir.File("kvx.db"));
        ASSERT_NE(server.port(), 0);
        WireClient idle(server.port());
        WireClient online(server.port());
        ASSERT_EQ(online.Version(BUILD_NUMBER), PKT_VERSION_OK);
        const std::int32_t account = online.Signup("Bye", "bye@example.com", "pw");
        ASSERT_EQ(online.Login(account, "pw"), PKT_LOGIN_OK);

        EXPECT_EQ(server.Stop(signal), 0) << "signal " << signal;
        EXPECT_TRUE(idle.ClosedWithin(1000));
        EXPECT_TRUE(online.ClosedWithin(1000));
    }
}

TEST(Lifecycle, BadCommandLinesExitTwoWithoutStarting) {
    const std::vector<std::vector<std::string>> bad = {
        {"--port", "65536"}, {"--keepalive-seconds", "0"}, {"--min-build", "12abc"}, {"--db"}};
    for (const auto& args : bad) {
        std::string out;
        EXPECT_EQ(ServerProcess::RunToExit(args, out), 2) << args[0];
        EXPECT_EQ(out.find("listening"), std::string::npos);
    }
    std::string usage;
    EXPECT_EQ(ServerProcess::RunToExit({"--help"}, usage), 0);
    EXPECT_NE(usage.find("--keepalive-seconds"), std::string::npos);
}

TEST(Lifecycle, StartUpFailuresExitOne) {
    TempDir dir;
    ServerProcess first(dir.File("kvx.db"));
    ASSERT_NE(first.port(), 0);
    std::string out;
    EXPECT_EQ(ServerProcess::RunToExit({"--bind", "127.0.0.1", "--port",
                                        std::to_string(first.port()), "--db",
                                        dir.File("other.db")},
                                       out),
              1)
        << "the port is taken";
    EXPECT_EQ(ServerProcess::RunToExit({"--bind", "not-an-address", "--port", "0", "--db",
                                        dir.File("other.db")},
                                       out),
              1);
    EXPECT_EQ(ServerProcess::RunToExit({"--port", "0", "--db", dir.File("missing/dir/kvx.db")},
                                       out),
              1);

    // A database from a newer server is left alone rather than misread.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File("newer.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(ServerProcess::RunToExit({"--port", "0", "--db", dir.File("newer.db")}, out), 1);
}
