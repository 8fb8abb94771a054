// Clients reach the server inside TLS: clear text only when allowed, and the certificate the
// clients pin stays the same. (A handshake that never ends is the silence test's.)
#include "support/ServerTest.h"

using Tls = ServerTest;

TEST_F(Tls, ClearTextIsRefusedUnlessAllowedAndTheCertificateStaysTheSame)
{
    std::string pinned;
    for (const bool plaintext : {false, true}) {
        Start(plaintext ? std::vector<std::string>{"--allow-plaintext"} : std::vector<std::string>{});
        if (pinned.empty()) pinned = fingerprint();
        EXPECT_EQ(fingerprint(), pinned) << "made once, kept beside the database";
        for (const bool tls : {true, false}) {
            WirePeer client(port(), "127.0.0.1", nullptr, tls);
            EXPECT_EQ(client.Version(BUILD_NUMBER) == PKT_VERSION_OK, tls || plaintext) << plaintext << tls;
        }
        Stop(SIGTERM);
    }
    EXPECT_EQ(pinned.size(), 32u * 3 - 1) << pinned;
    // The same pair named on the command line is the same certificate.
    Start({"--cert", File("kvx.db.cert.pem"), "--key", File("kvx.db.key.pem"), "--db", File("other.db")});
    EXPECT_EQ(fingerprint(), pinned);
}
