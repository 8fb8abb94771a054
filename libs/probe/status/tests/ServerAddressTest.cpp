// What the user may type in the Add field, and the sentences that come back when it is wrong.
#include <gtest/gtest.h>

#include "ServerAddress.h"

using kvxprobe::ServerAddress;

TEST(ServerAddress, ReadsHostsWithAndWithoutPorts)
{
    struct Case {
        const char* text;
        const char* host;
        unsigned port;
    };
    const Case cases[] = {
        {"q2.example.net", "q2.example.net", 27910},
        {"q2.example.net:27911", "q2.example.net", 27911},
        {"  10.0.0.5:1 ", "10.0.0.5", 1},
        {"host_name-1:65535", "host_name-1", 65535},
        {"\t127.0.0.60:27910\r\n", "127.0.0.60", 27910},
    };
    for (const Case& c : cases) {
        ServerAddress address;
        std::string error;
        ASSERT_TRUE(ServerAddress::Parse(c.text, address, error)) << c.text << ": " << error;
        EXPECT_EQ(address.host(), c.host);
        EXPECT_EQ(address.port(), c.port);
    }
    EXPECT_EQ(ServerAddress("a.b", 5).Text(), "a.b:5");
}

TEST(ServerAddress, RefusesWithAReason)
{
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"", "Type the server's address"},       {"   ", "Type the server's address"},
        {":27910", "Type the server's address"}, {"host:", "The port must be"},
        {"host:0", "The port must be"},          {"host:65536", "The port must be"},
        {"host:123456", "The port must be"},     {"host:27x", "The port must be"},
        {"host:-5", "The port must be"},         {"two words", "A host name has only"},
        {"a/b:5", "A host name has only"},       {"[::1]:27910", "A host name has only"},
    };
    for (const Case& c : cases) {
        ServerAddress address("kept", 7);
        std::string error;
        EXPECT_FALSE(ServerAddress::Parse(c.text, address, error)) << c.text;
        EXPECT_EQ(error.find(c.reason), 0u) << c.text << ": " << error;
        EXPECT_EQ(address.host(), "kept") << "a refusal leaves the old value";
    }
    ServerAddress address;
    std::string error;
    EXPECT_FALSE(ServerAddress::Parse(std::string(254, 'a'), address, error));
    EXPECT_TRUE(ServerAddress::Parse(std::string(253, 'a'), address, error));
}

TEST(ServerAddress, HostNamesCompareWithoutCase)
{
    EXPECT_EQ(ServerAddress("Q2.Example.NET", 27910), ServerAddress("q2.example.net", 27910));
    EXPECT_NE(ServerAddress("q2.example.net", 27910), ServerAddress("q2.example.net", 27911));
    EXPECT_NE(ServerAddress("q2.example.ne", 27910), ServerAddress("q2.example.net", 27910));
}
