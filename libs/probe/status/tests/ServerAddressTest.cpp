// What the user may type in the Add field, and the sentences that come back when it is wrong.
#include <gtest/gtest.h>

#include "ServerAddress.h"

using kvxprobe::ServerAddress;

TEST(ServerAddress, ReadsHostAndPortWithinTheirLimitsAndSaysWhyNot)
{
    const std::string longest(ServerAddress::kMaxHost, 'a');
    const struct {
        std::string text;
        std::string read; // host:port, or the start of the reason
    } cases[] = {
        {"q2.example.net", "q2.example.net:27910"}, {"  10.0.0.5:1 ", "10.0.0.5:1"},
        {"host_name-1:65535", "host_name-1:65535"}, {"\t127.0.0.60:27910\r\n", "127.0.0.60:27910"},
        {longest, longest + ":27910"},              {longest + "a", "That host name is too long"},
        {"", "Type the server's address"},          {":27910", "Type the server's address"},
        {"host:", "The port must be"},              {"host:0", "The port must be"},
        {"host:65536", "The port must be"},         {"host:27x", "The port must be"},
        {"host:-5", "The port must be"},            {"two words", "A host name has only"},
        {"[::1]:27910", "A host name has only"},
    };
    for (const auto& c : cases) {
        ServerAddress address("kept", 7);
        std::string error;
        const bool read = ServerAddress::Parse(c.text, address, error);
        EXPECT_EQ(c.read, read ? address.Text() : error.substr(0, c.read.size())) << c.text;
        if (!read) {
            EXPECT_EQ("kept:7", address.Text()) << "a refusal leaves the old value";
        }
    }
    EXPECT_EQ(ServerAddress("Q2.Example.NET", 27910), ServerAddress("q2.example.net", 27910)) << "as DNS compares";
    EXPECT_NE(ServerAddress("q2.example.net", 27910), ServerAddress("q2.example.net", 27911));
}
