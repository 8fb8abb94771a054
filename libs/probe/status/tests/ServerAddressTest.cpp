// What the user may type in the Add field, and the sentences that come back when it is wrong.
#include <gtest/gtest.h>

#include <utility>

#include "ServerAddress.h"

using kvxprobe::ServerAddress;

TEST(ServerAddress, ReadsHostAndPortWithinTheirLimitsOrSaysWhyNot)
{
    const std::string longest(ServerAddress::kMaxHost, 'a');
    const std::pair<std::string, std::string> cases[] = {// typed, then host:port or the reason's start
                                                         {"q2.example.net", "q2.example.net:27910"},
                                                         {" \t10.0.0.5:1\r\n", "10.0.0.5:1"},
                                                         {"host_name-1:65535", "host_name-1:65535"},
                                                         {longest, longest + ":27910"},
                                                         {longest + "a", "That host name is too long"},
                                                         {"", "Type the server's address"},
                                                         {":27910", "Type the server's address"},
                                                         {"host:", "The port must be"},
                                                         {"host:0", "The port must be"},
                                                         {"host:65536", "The port must be"},
                                                         {"host:27x", "The port must be"},
                                                         {"host:-5", "The port must be"},
                                                         {"two words", "A host name has only"},
                                                         {"[::1]:27910", "A host name has only"}};
    for (const auto& [typed, read] : cases) {
        ServerAddress address("kept", 7);
        std::string error;
        const bool ok = ServerAddress::Parse(typed, address, error);
        EXPECT_EQ(read, ok ? address.Text() : error.substr(0, read.size())) << typed;
        EXPECT_TRUE(ok || address.Text() == "kept:7") << "a refusal leaves the old value";
    }
    EXPECT_EQ(ServerAddress("Q2.Example.NET", 27910), ServerAddress("q2.example.net", 27910)) << "as DNS compares";
    EXPECT_NE(ServerAddress("q2.example.net", 27910), ServerAddress("q2.example.net", 27911));
}
