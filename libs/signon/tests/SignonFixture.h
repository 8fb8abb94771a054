// What the wizards' tests share: a stand-in bar that, like the client's receive loop, hands
// every packet of the sign-on range to SO_Message, over a real loopback connection whose far
// end plays the server.
#ifndef KVX_SIGNON_TESTS_SIGNONFIXTURE_H
#define KVX_SIGNON_TESTS_SIGNONFIXTURE_H

#include <gtest/gtest.h>

#include "signon/signon.h"
#include "support/WindowDriver.h"
#include "support/StandInBar.h"
#include "wire/Packets.h"

class SignonTest : public ::testing::Test {
protected:
    SignonTest()
    {
        bar.onPacket = [this](const PACKET_DATA& packet) { Route(packet); };
    }
    void Route(const PACKET_DATA& packet)
    {
        if (packet.type >= PKT_SIGNON_FIRST && packet.type <= PKT_SIGNON_LAST) SO_Message(packet, bar.Socket());
    }
    // The next packet the wizard sent, read from the driver's thread.
    PACKET_DATA Sent(WORD type)
    {
        PACKET_DATA packet = {};
        EXPECT_TRUE(bar.Next(type, &packet, 5000)) << "no packet " << type;
        return packet;
    }

    StandInBar bar;
};

#endif
