// Messages and chat lines between real clients: a message is answered as stored, reaches an
// online recipient at once, waits for an offline one until their next list request (even
// across a SIGKILL of the server), and stays until acknowledged. Chat lines are relayed to
// online receivers only and never kept.
#include <gtest/gtest.h>

#include <signal.h>

#include <ctime>
#include <memory>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

namespace {

std::vector<MessageRecord> Messages(const ContactClient::ListReply& reply)
{
    std::vector<MessageRecord> messages;
    for (const Event& event : reply.stored) {
        if (event.kind == EVENT_MESSAGE) messages.push_back(event.As<MessageRecord>());
    }
    return messages;
}

// An account that signed up and went offline again, for what is stored while it is away.
std::int32_t OfflineAccount(std::uint16_t port, const char* nickname)
{
    ContactClient client(port, nickname);
    return client.account();
}

} // namespace

TEST(Messages, GoBothWaysWithTheSendersTagAndNickname)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    ASSERT_TRUE(ann.LoggedIn() && bob.LoggedIn());

    const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
    ann.Message(bob.account(), 77, "Hello Bob");
    const MessageSentRecord sent = ann.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>();
    EXPECT_EQ(sent.clientTag, 77u);
    EXPECT_NE(sent.messageId, 0u);
    const Event arrived = bob.WaitEvent(EVENT_MESSAGE, ann.account());
    const MessageRecord message = arrived.As<MessageRecord>();
    EXPECT_EQ(message.messageId, sent.messageId);
    EXPECT_EQ(message.from, ann.account());
    EXPECT_STREQ(message.nickname, "Ann");
    EXPECT_STREQ(message.text, "Hello Bob");
    EXPECT_GE(message.sentAt, before);
    EXPECT_LE(message.sentAt, static_cast<std::uint32_t>(std::time(nullptr)));

    bob.Message(ann.account(), 5, std::string(kMessageField + 50, 'x')); // cut to fit its field
    EXPECT_EQ(bob.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>().clientTag, 5u);
    EXPECT_EQ(std::strlen(ann.WaitEvent(EVENT_MESSAGE, bob.account()).As<MessageRecord>().text), kMessageField - 1);
}

TEST(Messages, WaitForAnOfflineRecipientAcrossAKillAndStayUntilAcknowledged)
{
    TempDir dir;
    std::int32_t bobAccount = 0;
    std::int32_t annAccount = 0;
    std::uint32_t firstId = 0;
    {
        ServerProcess server(dir.File("kvx.db"));
        ContactClient ann(server.port(), "Ann");
        bobAccount = OfflineAccount(server.port(), "Bob");
        annAccount = ann.account();
        ann.Message(bobAccount, 1, "first");
        firstId = ann.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>().messageId;
        ann.Message(bobAccount, 2, "second");
        ASSERT_EQ(ann.WaitEvent(EVENT_MESSAGE_SENT).As<MessageSentRecord>().clientTag, 2u);
        // Answered as stored, so no clean shutdown is owed: the process just dies.
        ASSERT_EQ(server.Stop(SIGKILL), -1);
    }
    ServerProcess again(dir.File("kvx.db"));
    ContactClient bob(again.port(), bobAccount, "pw");
    ASSERT_TRUE(bob.LoggedIn());
    ContactClient::ListReply reply = bob.RequestList();
    ASSERT_TRUE(reply.complete);
    std::vector<MessageRecord> waiting = Messages(reply);
    ASSERT_EQ(waiting.size(), 2u) << "oldest first";
    EXPECT_EQ(waiting[0].messageId, firstId);
    EXPECT_STREQ(waiting[0].text, "first");
    EXPECT_STREQ(waiting[1].text, "second");
    EXPECT_EQ(waiting[0].from, annAccount);
    EXPECT_STREQ(waiting[0].nickname, "Ann");

    // Unacknowledged, they come again; acknowledged, they are gone for good.
    bob.Ack(waiting[0].messageId);
    waiting = Messages(bob.RequestList());
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_STREQ(waiting[0].text, "second");
    bob.Ack(waiting[0].messageId);
    EXPECT_TRUE(Messages(bob.RequestList()).empty());
}

TEST(Messages, ABacklogBeyondTheUsualReplyAllowanceComesWholeAndTheConnectionGoesOn)
{
    // 150 stored messages make one answer of about 145 KB, more than 64 KiB of replies.
    const int kBacklog = 150;
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    const std::int32_t bobAccount = OfflineAccount(server.port(), "Bob");
    for (int i = 0; i < kBacklog; ++i) ann.Message(bobAccount, static_cast<std::uint32_t>(i), "backlog");
    ann.Settle();
    ContactClient bob(server.port(), bobAccount, "pw");
    ASSERT_TRUE(bob.LoggedIn());
    std::vector<MessageRecord> waiting = Messages(bob.RequestList());
    ASSERT_EQ(waiting.size(), static_cast<std::size_t>(kBacklog));
    bob.Ack(waiting[0].messageId);
    EXPECT_EQ(Messages(bob.RequestList()).size(), static_cast<std::size_t>(kBacklog - 1))
        << "requests after it are answered, in order";
}

TEST(Messages, AnotherAccountsAcknowledgementForgetsNothing)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    ContactClient eve(server.port(), "Eve");
    ann.Message(bob.account(), 1, "for Bob only");
    const std::uint32_t id = bob.WaitEvent(EVENT_MESSAGE).As<MessageRecord>().messageId;
    eve.Ack(id);
    ann.Ack(id); // the sender cannot take it back either
    eve.Settle();
    ann.Settle();
    ASSERT_EQ(Messages(bob.RequestList()).size(), 1u);
}

TEST(Messages, AddedYouNoticesAreStoredUntilAcknowledged)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    const std::int32_t bobAccount = OfflineAccount(server.port(), "Bob");
    ann.Add(bobAccount);
    ann.Settle();
    ContactClient bob(server.port(), bobAccount, "pw");
    ContactClient::ListReply reply = bob.RequestList();
    ASSERT_EQ(reply.stored.size(), 1u);
    ASSERT_EQ(reply.stored[0].kind, EVENT_ADDED_YOU);
    const ContactRecord notice = reply.stored[0].As<ContactRecord>();
    EXPECT_EQ(notice.account, ann.account());
    EXPECT_EQ(notice.status, 300);
    EXPECT_EQ(notice.addFlag, 1);
    bob.Ack(notice.eventId);
    EXPECT_TRUE(bob.RequestList().stored.empty());
}

TEST(Messages, NewsFollowsTheStoredEvents)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"), {"--news", "Server moves on Friday."});
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    ann.Message(bob.account(), 1, "hi");
    ann.WaitEvent(EVENT_MESSAGE_SENT);
    bob.WaitEvent(EVENT_MESSAGE);
    const ContactClient::ListReply reply = bob.RequestList();
    ASSERT_EQ(reply.stored.size(), 2u);
    EXPECT_EQ(reply.stored[0].kind, EVENT_MESSAGE);
    EXPECT_EQ(reply.stored[1].kind, EVENT_NEWS);
    EXPECT_STREQ(reinterpret_cast<const char*>(reply.stored[1].data.data()), "Server moves on Friday.");
    EXPECT_EQ(reply.stored[1].data.size(), std::strlen("Server moves on Friday.") + 1);
}

TEST(Messages, ChatLinesReachOnlineReceiversOnlyAndAreNotKept)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    std::int32_t gone = 0;
    {
        ContactClient bob(server.port(), "Bob");
        gone = bob.account();
        ann.Chat(bob.account(), "ping");
        const ChatLineRecord line = bob.WaitEvent(EVENT_CHAT, ann.account()).As<ChatLineRecord>();
        EXPECT_EQ(line.to, bob.account());
        EXPECT_EQ(line.from, ann.account()) << "filled in by the server";
        EXPECT_STREQ(line.text, "ping");
        bob.Chat(ann.account(), "pong");
        EXPECT_STREQ(ann.WaitEvent(EVENT_CHAT).As<ChatLineRecord>().text, "pong");
    }
    ann.Chat(gone, "anyone?");
    ann.Settle();
    ContactClient bob(server.port(), gone, "pw");
    EXPECT_TRUE(bob.RequestList().stored.empty());
}
