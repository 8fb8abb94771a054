// Messages and chat lines between real clients. A message is answered as stored only once
// it is committed, reaches an online recipient at once, waits for an offline one (even
// across a SIGKILL of the server) and comes at every list request until its owner
// acknowledges it. Chat lines are relayed to online receivers only and never kept.
#include <ctime>

#include "support/ServerTest.h"

using Messages = ServerTest;

TEST_F(Messages, ReachTheOnlineAtOnceAndWaitForTheOfflineAcrossAKillUntilTheirOwnerAcknowledges)
{
    Start();
    Client ann(port(), "Ann");
    std::int32_t bob = 0;
    {
        Client online(port(), "Bob");
        bob = online.account();
        ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{bob, 77, "Hello Bob"});
        const MessageSentRecord sent = ann.WaitEvent(EVENT_MESSAGE_SENT, bob).As<MessageSentRecord>();
        const MessageRecord message = online.WaitEvent(EVENT_MESSAGE, ann.account()).As<MessageRecord>();
        EXPECT_EQ(message.messageId, sent.messageId);
        EXPECT_EQ(message.from, ann.account());
        EXPECT_STREQ(message.nickname, "Ann");
        EXPECT_STREQ(message.text, "Hello Bob");
        EXPECT_NEAR(message.sentAt, std::time(nullptr), 60) << "seconds since 1970 when it was accepted";
        MessageSendRecord unending{ann.account(), 5, {}}; // no NUL: cut to its field
        std::memset(unending.text, 'x', sizeof unending.text);
        online.Put(PKT_MESSAGE_SEND, unending);
        EXPECT_EQ(std::strlen(ann.WaitEvent(EVENT_MESSAGE, bob).As<MessageRecord>().text), kMessageField - 1);
        ann.Put(PKT_CHAT_LINE, ChatLineRecord{bob, 12345, "ping"});
        const ChatLineRecord line = online.WaitEvent(EVENT_CHAT, ann.account()).As<ChatLineRecord>();
        EXPECT_EQ(line.from, ann.account()) << "filled in by the server";
        EXPECT_STREQ(line.text, "ping");
    }
    ann.Put(PKT_CONTACT_ADD, AccountRecord{bob});
    ann.Put(PKT_CHAT_LINE, ChatLineRecord{bob, 0, "anyone?"}); // relayed to the online only, never kept
    ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{bob, 1, "first"});
    ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{bob, 2, "second"});
    ASSERT_EQ(ann.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>().clientTag, 1u);
    ASSERT_EQ(ann.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>().clientTag, 2u);
    // Answered as stored, so no clean shutdown is owed: the process just dies.
    ASSERT_EQ(Stop(SIGKILL), -1);
    Start({"--news", "Server moves on Friday."});
    Client again(port(), bob), eve(port(), "Eve");
    Client::List list = again.RequestList();
    // Hello Bob (not acknowledged yet), the notice, first, second: what is left once the first
    // three are acknowledged shows their order.
    ASSERT_EQ(list.stored.size(), 5u) << "oldest first, then the news";
    EXPECT_STREQ(list.stored[2].As<MessageRecord>().nickname, "Ann");
    EXPECT_EQ(std::string(list.stored[4].data.begin(), list.stored[4].data.end()),
              std::string("Server moves on Friday.", 24));
    // Nobody else can take them back.
    const std::uint32_t first = list.stored[2].As<MessageRecord>().messageId;
    eve.Put(PKT_EVENT_ACK, EventAckRecord{first});
    eve.Settle();
    ASSERT_EQ(again.RequestList().stored.size(), 5u);
    for (const std::uint32_t id :
         {list.stored[0].As<MessageRecord>().messageId, list.stored[1].As<ContactRecord>().eventId, first}) {
        again.Put(PKT_EVENT_ACK, EventAckRecord{id});
    }
    list = again.RequestList();
    ASSERT_EQ(list.stored.size(), 2u);
    EXPECT_STREQ(list.stored[0].As<MessageRecord>().text, "second");
}
