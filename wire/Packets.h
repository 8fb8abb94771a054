// Packet types and the fixed payload records that client and server both read and write.
// Integers inside payloads are little-endian; both Windows targets and the server hosts
// we build for are little-endian, which the static asserts below pin down.
#ifndef KVX_WIRE_PACKETS_H
#define KVX_WIRE_PACKETS_H

#include <cstddef>
#include <cstdint>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "payload records assume little-endian");

// Client to server.
constexpr std::uint16_t PKT_LOGIN = 1010;           // LoginRecord
constexpr std::uint16_t PKT_KEEP_ALIVE = 1055;      // no payload
constexpr std::uint16_t PKT_VERSION = 1065;         // uint32 build number
constexpr std::uint16_t PKT_LIBRARY_REQUEST = 1335; // no payload
constexpr std::uint16_t PKT_SIGNUP_REQUEST = 1200;  // SignupRequestRecord

// A UDP datagram of one frame to the server's port, answered with the same frame retyped
// PKT_SERVER_PONG: how a client measures its own round trip to the server. PingStamp.
constexpr std::uint16_t PKT_SERVER_PING = 1060;
constexpr std::uint16_t PKT_SERVER_PONG = 1061;

// Server to client.
constexpr std::uint16_t PKT_LOGIN_FAILED = 1015;   // no payload
constexpr std::uint16_t PKT_LOGIN_OK = 1020;       // no payload
constexpr std::uint16_t PKT_IP_INFO = 1050;        // IpInfoRecord
constexpr std::uint16_t PKT_VERSION_OK = 1070;     // no payload
constexpr std::uint16_t PKT_VERSION_OLD = 1075;    // no payload
constexpr std::uint16_t PKT_SERVER_MESSAGE = 1080; // NUL-terminated text
constexpr std::uint16_t PKT_INFO_RESULT = 1100;    // contact library's search record
constexpr std::uint16_t PKT_SIGNUP_OK = 1210;      // SignupOkRecord
constexpr std::uint16_t PKT_SIGNUP_ERROR = 1220;   // NUL-terminated reason text
constexpr std::uint16_t PKT_NEW_EVENT = 1330;      // EventHead, 4 bytes, data
constexpr std::uint16_t PKT_GAME_SERVERS = 1340;   // GameServersHead, GameServerRecord x count

// Every server packet in this range belongs to the sign-up library.
constexpr std::uint16_t PKT_SIGNON_FIRST = 1200;
constexpr std::uint16_t PKT_SIGNON_LAST = 1300;

// The client's build number; the server accepts builds at or above its minimum.
constexpr std::uint32_t BUILD_NUMBER = 146;

constexpr std::size_t kPasswordField = 12; // login password field, NUL included
constexpr std::size_t kMaxPassword = 9;    // what fits the client's read limit of 10
constexpr std::size_t kNicknameField = 32;
constexpr std::size_t kEmailField = 92;
constexpr std::size_t kSignupPasswordField = 32;

struct LoginRecord {
    std::int32_t account;
    char password[kPasswordField]; // NUL-terminated, zero-filled
};
static_assert(sizeof(LoginRecord) == 16, "LoginRecord is 16 bytes");
static_assert(offsetof(LoginRecord, password) == 4, "password at byte 4");

struct SignupRequestRecord {
    char nickname[kNicknameField];       // NUL-terminated
    char email[kEmailField];             // NUL-terminated
    char password[kSignupPasswordField]; // NUL-terminated, at most kMaxPassword characters
};
static_assert(sizeof(SignupRequestRecord) == 156, "SignupRequestRecord is 156 bytes");
static_assert(offsetof(SignupRequestRecord, email) == 32, "email at byte 32");
static_assert(offsetof(SignupRequestRecord, password) == 124, "password at byte 124");

struct SignupOkRecord {
    std::int32_t account;
};
static_assert(sizeof(SignupOkRecord) == 4, "SignupOkRecord is 4 bytes");

// Payload of PKT_IP_INFO, the server's answer to PKT_LIBRARY_REQUEST once logged in: the
// contact library's IP_INFO_STRUCT, telling it the address other users reach this client on.
struct IpInfoRecord {
    std::int32_t account;    // the logged-in account
    std::uint8_t address[4]; // the client's IPv4 address as the server sees it, in network
                             // order; all zero when the client came over IPv6
};
static_assert(sizeof(IpInfoRecord) == 8, "IpInfoRecord is 8 bytes");
static_assert(offsetof(IpInfoRecord, address) == 4, "address at byte 4");

// Payload of PKT_SERVER_PING and PKT_SERVER_PONG: whatever the pinger wants back, so it can
// tell its own answer from a late one.
struct PingStamp {
    std::uint32_t sequence;
    std::uint32_t reserved;
};
static_assert(sizeof(PingStamp) == 8, "PingStamp is 8 bytes");

// Head of a PKT_NEW_EVENT payload: the event data follows at payload byte 20.
struct EventHead {
    std::uint16_t kind;
    std::uint16_t length; // of the event data
    std::int32_t fromAccount;
    std::uint8_t reserved[8];
};
static_assert(sizeof(EventHead) == 16, "EventHead is 16 bytes");
static_assert(offsetof(EventHead, length) == 2, "event length at byte 2");
constexpr std::size_t kEventDataOffset = 20;
constexpr std::size_t kMaxEventData = 1008; // what the client's 1024-byte event record holds

// Payload of PKT_GAME_SERVERS, sent after PKT_IP_INFO when the server knows game servers of
// its own: the head, then `count` records. The client hands it to the scanner library.
struct GameServersHead {
    std::uint16_t game;  // the game's status code, kGameQuake2
    std::uint16_t count; // records that follow, at most kMaxGameServers
};
static_assert(sizeof(GameServersHead) == 4, "GameServersHead is 4 bytes");
static_assert(offsetof(GameServersHead, count) == 2, "record count at byte 2");

struct GameServerRecord {
    std::uint8_t address[4]; // IPv4, network order
    std::uint16_t port;      // little-endian like every other integer
    std::uint16_t reserved;  // zero
};
static_assert(sizeof(GameServerRecord) == 8, "GameServerRecord is 8 bytes");
static_assert(offsetof(GameServerRecord, port) == 4, "port at byte 4");

constexpr std::uint16_t kGameQuake2 = 600;
// As many records as fill the longest payload, 2044 bytes.
constexpr std::size_t kMaxGameServers = 255;
static_assert(sizeof(GameServersHead) + kMaxGameServers * sizeof(GameServerRecord) == 2044,
              "the longest list fills the longest payload");

#endif
