// Three kvx-server nodes on one PostgreSQL database behind HAProxy, started by
// scripts/cluster.sh in the test's own folder and on its own addresses, driven as clients
// would drive them: users on different nodes see and reach each other, a node killed in the
// middle of a flood loses no acknowledged message and its users come back through another,
// and the database killed and restarted costs clear failures only while it is down. One
// cluster serves the three in turn: starting one takes seconds.
#include <sys/stat.h>

#include <set>

#include "support/ServerTest.h"
#include "wire/Status.h"

namespace {

constexpr std::uint16_t kPort = 2600;
// The test's own addresses and database port, apart from a cluster started by hand.
constexpr const char* kNet = "127.0.201";
const char* const kNodes[] = {"127.0.201.11", "127.0.201.12", "127.0.201.13"};
const char* const kFront = "127.0.201.1"; // HAProxy

} // namespace

class Cluster : public ServerTest {
protected:
    ~Cluster() override { Script("stop"); }

    void StartNodes(const std::string& options)
    {
        chmod(File("").c_str(), 0755); // the database runs as its own user when we are root
        const std::string output = Script("start 3 --fast-hash " + options);
        for (const char* node : kNodes)
            ASSERT_NE(output.find(std::string("node ") + node + ":2600\n"), std::string::npos) << output;
        ASSERT_NE(output.find(std::string("front ") + kFront + ":2600\n"), std::string::npos) << output;
    }

    // cluster.sh with these arguments; what it printed.
    std::string Script(const std::string& args)
    {
        const std::string command = "KVX_CLUSTER_DIR='" + File("cluster") + "' KVX_CLUSTER_NET=" + kNet +
                                    " KVX_CLUSTER_DB_PORT=26501 KVX_SERVER='" KVX_SERVER_PATH "' '" +
                                    KVX_CLUSTER_SCRIPT "' " + args + " 2>&1";
        std::string output;
        Shell(command, output);
        return output;
    }
};

TEST_F(Cluster, UsersOnDifferentNodesMeetANodeKilledInAFloodLosesNothingAcknowledgedAndTheDatabaseDownFailsClearly)
{
    ASSERT_NO_FATAL_FAILURE(StartNodes("--news 'cluster news' --node-lease-seconds 5"));
    Client ann(kPort, std::string("Ann"), kNodes[0]);
    Client bob(kNodes[1], kPort);
    ASSERT_EQ(bob.Version(BUILD_NUMBER), PKT_VERSION_OK);
    const std::int32_t bobId = bob.Signup("Bob", "bob@example.com", "pw");
    ann.Put(PKT_CONTACT_ADD, AccountRecord{bobId});
    EXPECT_EQ(ann.WaitEvent(EVENT_CONTACT, bobId).As<ContactRecord>().status, STATUS_OFFLINE);
    ASSERT_EQ(bob.Login(bobId, "pw"), PKT_LOGIN_OK);
    EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, bobId).As<ContactRecord>().status, STATUS_ONLINE);
    bob.Put(PKT_CONTACT_ADD, AccountRecord{ann.account()});
    EXPECT_EQ(bob.WaitEvent(EVENT_CONTACT, ann.account()).As<ContactRecord>().status, STATUS_ONLINE);
    EXPECT_EQ(ann.WaitEvent(EVENT_ADDED_YOU, bobId).As<ContactRecord>().addFlag, 0) << "Bob is on Ann's list";
    bob.Put(PKT_STATUS, StatusRecord{STATUS_AWAY, 0, {}, {}});
    EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, bobId).As<ContactRecord>().status, STATUS_AWAY);
    ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{bobId, 7, "message 7"});
    EXPECT_EQ(ann.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>().clientTag, 7u);
    EXPECT_STREQ(bob.WaitEvent(EVENT_MESSAGE, ann.account()).As<MessageRecord>().text, "message 7");
    ann.Put(PKT_CHAT_LINE, ChatLineRecord{bobId, 0, "gg"});
    EXPECT_STREQ(bob.WaitEvent(EVENT_CHAT, ann.account()).As<ChatLineRecord>().text, "gg");
    EXPECT_TRUE(Has(bob.RequestList().stored, EVENT_NEWS));

    // Bob again on a third node: his first session ends, and he stays online to Ann.
    {
        Client again(kPort, bobId, "pw", kNodes[2]);
        ASSERT_TRUE(again.online());
        EXPECT_TRUE(bob.ClosedWithin(5000));
        EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, bobId).As<ContactRecord>().status, STATUS_ONLINE);
        ann.Put(PKT_CHAT_LINE, ChatLineRecord{bobId, 0, "still there?"});
        EXPECT_STREQ(again.WaitEvent(EVENT_CHAT, ann.account()).As<ChatLineRecord>().text, "still there?");
    }
    EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, bobId).As<ContactRecord>().status, STATUS_OFFLINE);

    // Sam's node killed while he floods Ann with messages.
    std::int32_t sam = 0;
    std::set<std::uint32_t> acknowledged;
    {
        Client sender(kNodes[1], kPort);
        ASSERT_EQ(sender.Version(BUILD_NUMBER), PKT_VERSION_OK);
        sam = sender.Signup("Sam", "sam@example.com", "pw");
        ann.Put(PKT_CONTACT_ADD, AccountRecord{sam});
        ASSERT_EQ(sender.Login(sam, "pw"), PKT_LOGIN_OK);
        ASSERT_EQ(ann.WaitEvent(EVENT_PRESENCE, sam).As<ContactRecord>().status, STATUS_ONLINE);
        // One by one, then as fast as they go: the kill comes while messages are being
        // stored, acknowledged and still arriving. Acknowledgements the kill cuts off are
        // never seen, so they need not be kept.
        std::string killed;
        for (std::uint32_t tag = 1; tag <= 400; ++tag) {
            sender.Put(PKT_MESSAGE_SEND, MessageSendRecord{ann.account(), tag, "flood"});
            if (tag <= 100) acknowledged.insert(sender.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>().messageId);
            if (tag == 200) EXPECT_EQ(Shell("kill -9 $(cat '" + File("cluster/node2.pid") + "')", killed), 0);
        }
        for (Event sent; (sent = sender.WaitEvent(EVENT_MESSAGE_SENT)).kind != 0;)
            acknowledged.insert(sent.As<MessageSentRecord>().messageId);
    }
    EXPECT_GE(acknowledged.size(), 100u);
    EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, sam).As<ContactRecord>().status, STATUS_OFFLINE);
    std::set<std::uint32_t> stored;
    for (const Event& event : ann.RequestList().stored) {
        if (event.kind == EVENT_MESSAGE) stored.insert(event.As<MessageRecord>().messageId);
    }
    for (std::uint32_t id : acknowledged) EXPECT_TRUE(stored.count(id)) << "acknowledged message " << id << " lost";
    Client back(kPort, sam, "pw", kFront);
    EXPECT_TRUE(back.online());
    EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, sam).As<ContactRecord>().status, STATUS_ONLINE);

    // The database killed and restarted: Ann's messages to Sam.
    Script("db-kill");
    ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{sam, 1, "lost"});
    EXPECT_NE(ann.WaitPacket(PKT_SERVER_MESSAGE).payload.find("cannot reach its database"), std::string::npos);
    EXPECT_FALSE(Has(ann.Settle(), EVENT_MESSAGE_SENT)) << "nothing acknowledged that was not stored";
    EXPECT_FALSE(Client(kPort, sam, "pw", kNodes[2]).online());

    Script("db-start");
    bool sent = false;
    for (std::uint32_t tag = 2; !sent && tag < 20; ++tag) {
        ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{sam, tag, "again"});
        sent = Has(ann.Settle(), EVENT_MESSAGE_SENT);
        if (!sent) usleep(500000);
    }
    EXPECT_TRUE(sent) << "the node did not reconnect to the database";
    EXPECT_TRUE(Has(back.RequestList().stored, EVENT_MESSAGE));
    EXPECT_TRUE(Client(kPort, sam, "pw", kNodes[2]).online());
}
