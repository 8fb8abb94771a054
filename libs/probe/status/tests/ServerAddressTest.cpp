// What the user may type in the Add field, and the sentences that come back when it is wrong.
#include <gtest/gtest.h>

#include "ServerAddress.h"

using kvxprobe::ServerAddress;

TEST(ServerAddress, ReadsHostAndPortOrRefusesWithAReasonAndComparesHostsWithoutCase)
{
    // What is typed, then what is read: host:port, or the start of the reason.
    const std::pair<std::string, std::string> cases[] = {
        {"q2.example.net", "q2.example.net:27910"},
        {"  10.0.0.5:1 ", "10.0.0.5:1"},
        {"\thost_name-1:65535\r\n", "host_name-1:65535"},
        {std::string(253, 'a'), std::string(253, 'a') + ":27910"},
        {std::string(254, 'a'), "That host name is too long."},
        {"   ", "Type the server's address"},
        {":27910", "Type the server's address"},
        {"host:", "The port must be"},
        {"host:0", "The port must be"},
        {"host:65536", "The port must be"},
        {"host:18446744073709551617", "The port must be"}, // would wrap to 1
        {"host:27x", "The port must be"},
        {"host:-5", "The port must be"},
        {"two words", "A host name has only"},
        {"[::1]:27910", "A host name has only"},
    };
    for (const auto& [text, expected] : cases) {
        ServerAddress address("kept", 7);
        std::string error;
        const bool read = ServerAddress::Parse(text, address, error);
        EXPECT_EQ(read ? address.Text() : error.substr(0, expected.size()), expected) << text;
        EXPECT_TRUE(read || address.host() == "kept") << "a refusal leaves the old value: " << text;
    }
    // Host names compare without case.
    EXPECT_EQ(ServerAddress("Q2.Example.NET", 27910), ServerAddress("q2.example.net", 27910));
    EXPECT_NE(ServerAddress("q2.example.net", 27910), ServerAddress("q2.example.net", 27911));
    EXPECT_NE(ServerAddress("q2.example.ne", 27910), ServerAddress("q2.example.net", 27910));
}
