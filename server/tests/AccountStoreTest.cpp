// The account database through its own interface: numbering, lookups, reopening.
#include <gtest/gtest.h>

#include "core/AccountStore.h"
#include "support/TempDir.h"

using kvxserver::AccountStore;

TEST(AccountStore, NumbersStartAt10000AndContinueAfterReopening) {
    TempDir dir;
    std::string error;
    {
        AccountStore store;
        ASSERT_TRUE(store.Open(dir.File("a.db"), error)) << error;
        EXPECT_EQ(store.Create("one", "1@x.com", "h1", 111), 10000);
        EXPECT_EQ(store.Create("two", "2@x.com", "h2", 222), 10001);
    }
    AccountStore store;
    ASSERT_TRUE(store.Open(dir.File("a.db"), error)) << error;
    EXPECT_EQ(store.Create("three", "3@x.com", "h3", 333), 10002);

    AccountStore::Account found;
    ASSERT_TRUE(store.Find(10001, found));
    EXPECT_EQ(found.nickname, "two");
    EXPECT_EQ(found.email, "2@x.com");
    EXPECT_EQ(found.passwordHash, "h2");
    EXPECT_EQ(found.createdAt, 222);
    EXPECT_FALSE(store.Find(9999, found));
    EXPECT_FALSE(store.Find(10003, found));
}

TEST(AccountStore, TextIsStoredExactlyWhateverItContains) {
    AccountStore store;
    std::string error;
    ASSERT_TRUE(store.Open(":memory:", error)) << error;
    const std::string nickname = "O'Brien\"; DROP TABLE accounts; --";
    const std::int32_t number = store.Create(nickname, "ü@ß.de", "$argon2id$x", 1);
    ASSERT_NE(number, 0);
    AccountStore::Account found;
    ASSERT_TRUE(store.Find(number, found));
    EXPECT_EQ(found.nickname, nickname);
    EXPECT_EQ(found.email, "ü@ß.de");
}
