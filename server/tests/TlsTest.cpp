// Clients reach the server inside TLS: clear text only when allowed, a handshake that never
// ends is dropped like a silent client, and the certificate the clients pin stays the same.
#include "support/ServerTest.h"

#include <cstdlib>

using Tls = ServerTest;

TEST_F(Tls, ClearTextIsRefusedUnlessAllowedAndAStalledHandshakeIsDropped)
{
    const std::string handshakeStart("\x16\x03\x01", 3); // a record header, then nothing
    // Extra options, TLS or clear, bytes sent first in clear, whether VERSION is answered.
    const struct {
        std::vector<std::string> extra;
        bool tls;
        std::string first;
        bool answered;
    } cases[] = {
        {{}, true, "", true},
        {{}, false, "", false},
        {{"--allow-plaintext"}, false, "", true},
        {{"--allow-plaintext"}, true, "", true},
        {{"--first-frame-seconds", "1"}, false, handshakeStart, false},
    };
    std::string pinned;
    for (const auto& c : cases) {
        Start(c.extra);
        if (pinned.empty()) pinned = fingerprint();
        EXPECT_EQ(fingerprint(), pinned) << "made once, kept beside the database";
        WirePeer client(port(), "127.0.0.1", nullptr, c.tls);
        if (!c.first.empty()) {
            client.SendRaw(c.first.data(), c.first.size());
            EXPECT_TRUE(client.ClosedWithin(3000));
        } else {
            EXPECT_EQ(client.Version(BUILD_NUMBER) == PKT_VERSION_OK, c.answered) << c.extra.size() << c.tls;
        }
        Stop(SIGTERM);
    }
    EXPECT_EQ(pinned.size(), 32u * 3 - 1) << pinned;
    // The same pair named on the command line is the same certificate.
    Start({"--cert", File("kvx.db.cert.pem"), "--key", File("kvx.db.key.pem"), "--db", File("other.db")});
    EXPECT_EQ(fingerprint(), pinned);
}
