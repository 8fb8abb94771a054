// The contact protocol: contact lists, presence, messages, search and profiles, spoken by
// the contact library (roster), the find wizard (signon) and the server once a client has
// logged in. CONTACTS.md explains it; these are the definitions both sides compile.
#ifndef KVX_WIRE_CONTACTS_H
#define KVX_WIRE_CONTACTS_H

#include <cstddef>
#include <cstdint>

#include "wire/Frame.h"
#include "wire/Packets.h"

// Client to server, all only once logged in.
constexpr std::uint16_t PKT_CONTACTS_REQUEST = 1400; // no payload: the list, then stored events
constexpr std::uint16_t PKT_EVENT_ACK = 1405;        // EventAckRecord: a stored event was taken
constexpr std::uint16_t PKT_STATUS = 1410;           // StatusRecord: the user's own presence
constexpr std::uint16_t PKT_CONTACT_ADD = 1420;      // AccountRecord
constexpr std::uint16_t PKT_CONTACT_DELETE = 1425;   // AccountRecord
constexpr std::uint16_t PKT_MESSAGE_SEND = 1430;     // MessageSendRecord
constexpr std::uint16_t PKT_SEARCH = 1440;           // SearchRecord; answered by PKT_SEARCH_RESULT
constexpr std::uint16_t PKT_INFO_REQUEST = 1450;     // AccountRecord; answered by PKT_INFO_RESULT
constexpr std::uint16_t PKT_CHAT_LINE = 1460;        // ChatLineRecord, relayed, never stored
constexpr std::uint16_t PKT_CONTACT_PING = 1470;     // PingRecord: a round trip to a contact's client
constexpr std::uint16_t PKT_PING_REPLY = 1475;       // PingRecord: the answer to an EVENT_PING

// Server to client, besides PKT_NEW_EVENT (below) and PKT_INFO_RESULT (a ProfileList of one).
// In the sign-up library's range, so the client hands it to the find wizard.
constexpr std::uint16_t PKT_SEARCH_RESULT = 1230; // ProfileList

// Kinds of PKT_NEW_EVENT (EventHead.kind) the server sends.
constexpr std::uint16_t EVENT_CONTACT = 1;         // ContactRecord: an entry of the list, now
constexpr std::uint16_t EVENT_CONTACTS_END = 2;    // no data: the whole list has been sent
constexpr std::uint16_t EVENT_PRESENCE = 3;        // ContactRecord: a listed user changed
constexpr std::uint16_t EVENT_CONTACT_REMOVED = 4; // AccountRecord
constexpr std::uint16_t EVENT_MESSAGE = 5;         // MessageRecord, stored until acknowledged
constexpr std::uint16_t EVENT_MESSAGE_SENT = 6;    // MessageSentRecord: stored for its recipient
constexpr std::uint16_t EVENT_ADDED_YOU = 7;       // ContactRecord of who added you; stored
constexpr std::uint16_t EVENT_NEWS = 8;            // NUL-terminated text
constexpr std::uint16_t EVENT_CHAT = 9;            // ChatLineRecord (to = the receiver)
constexpr std::uint16_t EVENT_PING = 10;           // PingRecord: answer with PKT_PING_REPLY at once
constexpr std::uint16_t EVENT_PING_REPLY = 11;     // PingRecord: the contact answered, or is offline

constexpr std::size_t kAwayField = 200;
constexpr std::size_t kGameInfoField = 100;
constexpr std::size_t kMessageField = 900;
constexpr std::size_t kChatField = 400;
constexpr std::size_t kSearchField = 92;
constexpr std::size_t kMaxProfiles = 15; // what fits one frame

struct AccountRecord {
    std::int32_t account;
};
static_assert(sizeof(AccountRecord) == 4, "AccountRecord is 4 bytes");

struct EventAckRecord {
    std::uint32_t eventId; // MessageRecord.messageId or ContactRecord.eventId
};
static_assert(sizeof(EventAckRecord) == 4, "EventAckRecord is 4 bytes");

// Where a user is playing: the game record's server address, port and text.
struct GameSpot {
    std::uint32_t addr; // IPv4, network byte order; 0 when not on a server
    std::int32_t port;
    char info[kGameInfoField]; // NUL-terminated
};
static_assert(sizeof(GameSpot) == 108, "GameSpot is 108 bytes");

// The user's own presence, sent on every change of status and with the game record.
struct StatusRecord {
    std::uint16_t status; // the client's status codes: 100 offline ... 630 Fireteam
    std::uint16_t reserved;
    GameSpot game;
    char away[kAwayField]; // the away message for 400 and 500, else empty
};
static_assert(sizeof(StatusRecord) == 312, "StatusRecord is 312 bytes");
static_assert(offsetof(StatusRecord, game) == 4, "game at byte 4");
static_assert(offsetof(StatusRecord, away) == 112, "away message at byte 112");

// One user as a contact list shows them.
struct ContactRecord {
    std::int32_t account;
    std::uint32_t eventId; // non-zero for a stored EVENT_ADDED_YOU, to acknowledge
    char nickname[kNicknameField];
    std::uint16_t status; // 100 when offline or unknown
    std::uint8_t addFlag; // 1: not on the receiver's list yet (offered for adding)
    std::uint8_t reserved;
    GameSpot game;
    char away[kAwayField];
};
static_assert(sizeof(ContactRecord) == 352, "ContactRecord is 352 bytes");
static_assert(offsetof(ContactRecord, nickname) == 8, "nickname at byte 8");
static_assert(offsetof(ContactRecord, status) == 40, "status at byte 40");
static_assert(offsetof(ContactRecord, game) == 44, "game at byte 44");
static_assert(offsetof(ContactRecord, away) == 152, "away message at byte 152");
static_assert(sizeof(ContactRecord) <= kMaxEventData, "a contact fits one event");

struct MessageSendRecord {
    std::int32_t to;
    std::uint32_t clientTag;  // echoed in EVENT_MESSAGE_SENT
    char text[kMessageField]; // NUL-terminated
};
static_assert(sizeof(MessageSendRecord) == 908, "MessageSendRecord is 908 bytes");

struct MessageRecord {
    std::uint32_t messageId; // acknowledge with PKT_EVENT_ACK once shown or kept
    std::int32_t from;
    std::uint32_t sentAt; // seconds since 1970, UTC, when the server accepted it
    char nickname[kNicknameField];
    char text[kMessageField];
};
static_assert(sizeof(MessageRecord) == 944, "MessageRecord is 944 bytes");
static_assert(offsetof(MessageRecord, sentAt) == 8, "time at byte 8");
static_assert(offsetof(MessageRecord, nickname) == 12, "nickname at byte 12");
static_assert(offsetof(MessageRecord, text) == 44, "text at byte 44");
static_assert(sizeof(MessageRecord) <= kMaxEventData, "a message fits one event");

struct MessageSentRecord {
    std::uint32_t clientTag;
    std::uint32_t messageId;
};
static_assert(sizeof(MessageSentRecord) == 8, "MessageSentRecord is 8 bytes");

struct ChatLineRecord {
    std::int32_t to;   // the receiver
    std::int32_t from; // filled in by the server
    char text[kChatField];
};
static_assert(sizeof(ChatLineRecord) == 408, "ChatLineRecord is 408 bytes");

constexpr std::uint16_t PING_ANSWERED = 0;
constexpr std::uint16_t PING_OFFLINE = 1; // the server answers for a contact that is not online

// A ping between two users' clients through the server, and its answer: the pinger picks
// the tag, the server fills in `from`, the pinged client sends it back with `to` = the pinger.
struct PingRecord {
    std::int32_t to;
    std::int32_t from;
    std::uint32_t tag;
    std::uint16_t result; // PING_ANSWERED or PING_OFFLINE, in EVENT_PING_REPLY
    std::uint16_t reserved;
};
static_assert(sizeof(PingRecord) == 16, "PingRecord is 16 bytes");
static_assert(offsetof(PingRecord, tag) == 8, "tag at byte 8");
static_assert(offsetof(PingRecord, result) == 12, "result at byte 12");

constexpr std::uint8_t SEARCH_BY_NICKNAME = 0;
constexpr std::uint8_t SEARCH_BY_EMAIL = 1;
constexpr std::uint8_t SEARCH_BY_ACCOUNT = 2;

struct SearchRecord {
    std::uint8_t by; // SEARCH_BY_...
    std::uint8_t reserved[3];
    char text[kSearchField]; // NUL-terminated; a nickname matches by prefix, case-insensitive
};
static_assert(sizeof(SearchRecord) == 96, "SearchRecord is 96 bytes");

struct Profile {
    std::int32_t account;
    std::uint16_t status; // 100 when offline
    std::uint16_t reserved;
    char nickname[kNicknameField];
    char email[kEmailField];
};
static_assert(sizeof(Profile) == 132, "Profile is 132 bytes");

struct ProfileList {
    std::uint16_t count; // entries used, at most kMaxProfiles
    std::uint16_t reserved;
    Profile entries[kMaxProfiles];
};
static_assert(sizeof(ProfileList) == 1984, "ProfileList is 1984 bytes");
static_assert(sizeof(ProfileList) <= kvxwire::kMaxPayload, "a profile list fits one frame");

#endif
