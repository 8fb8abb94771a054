// Files sent to contacts through the server, stored and forwarded: the sender uploads the
// whole file, the server checks it and keeps it as an offer until the receiver fetches or
// declines it, or it expires. CONTACTS.md explains it; these are the records both sides
// compile. Every id is the server's transfer id; every tag is the sender's choice.
#ifndef KVX_WIRE_TRANSFERS_H
#define KVX_WIRE_TRANSFERS_H

#include <cstddef>
#include <cstdint>

#include "wire/Frame.h"
#include "wire/Packets.h"

// Client to server, once logged in.
constexpr std::uint16_t PKT_FILE_OFFER = 1480;  // FileOfferRecord: a file for `to`, to upload now
constexpr std::uint16_t PKT_FILE_DATA = 1482;   // FileChunkHead, bytes: the upload's next bytes
constexpr std::uint16_t PKT_FILE_RESUME = 1484; // FileIdRecord: how far has my upload come?
constexpr std::uint16_t PKT_FILE_GET = 1486;    // FileGetRecord: send me these bytes of an offer
constexpr std::uint16_t PKT_FILE_DONE = 1488;   // FileIdRecord: fetched and checked; forget it
constexpr std::uint16_t PKT_FILE_DROP = 1490;   // FileIdRecord: declined, or withdrawn by the sender

// Kinds of PKT_NEW_EVENT.
constexpr std::uint16_t EVENT_FILE_PROGRESS = 12; // FileProgressRecord: send on from `received`
constexpr std::uint16_t EVENT_FILE_STORED = 13;   // FileProgressRecord: uploaded, checked, offered
constexpr std::uint16_t EVENT_FILE_REFUSED = 14;  // FileRefusedRecord: why not, for the user
constexpr std::uint16_t EVENT_FILE_OFFER = 15;    // FileOfferEventRecord: a file waits for you
constexpr std::uint16_t EVENT_FILE_CHUNK = 16;    // FileChunkHead, bytes: part of a fetched offer

constexpr std::size_t kFileNameField = 256;
constexpr std::size_t kReasonField = 200;
constexpr std::uint32_t kMaxFileGet = 64 * 1024; // bytes one PKT_FILE_GET may ask for

struct FileOfferRecord {
    std::int32_t to;
    std::uint32_t tag;  // echoed in the answers until the id is known
    std::uint64_t size; // bytes
    std::uint8_t sha256[32];
    char name[kFileNameField]; // NUL-terminated; no folder (see FileName.h)
};
static_assert(sizeof(FileOfferRecord) == 304, "FileOfferRecord is 304 bytes");
static_assert(offsetof(FileOfferRecord, size) == 8, "size at byte 8");
static_assert(offsetof(FileOfferRecord, sha256) == 16, "checksum at byte 16");
static_assert(offsetof(FileOfferRecord, name) == 48, "name at byte 48");

// Before the bytes of PKT_FILE_DATA and EVENT_FILE_CHUNK.
struct FileChunkHead {
    std::uint32_t id;
    std::uint16_t length; // bytes that follow
    std::uint16_t reserved;
    std::uint64_t offset; // of the first of them in the file
};
static_assert(sizeof(FileChunkHead) == 16, "FileChunkHead is 16 bytes");
static_assert(offsetof(FileChunkHead, offset) == 8, "offset at byte 8");
constexpr std::size_t kMaxUploadChunk = kvxwire::kMaxPayload - sizeof(FileChunkHead); // 2028
constexpr std::size_t kMaxDownloadChunk = kMaxEventData - sizeof(FileChunkHead);      // 992

struct FileIdRecord {
    std::uint32_t id;
};
static_assert(sizeof(FileIdRecord) == 4, "FileIdRecord is 4 bytes");

struct FileGetRecord {
    std::uint32_t id;
    std::uint32_t length; // at most kMaxFileGet
    std::uint64_t offset;
};
static_assert(sizeof(FileGetRecord) == 16, "FileGetRecord is 16 bytes");
static_assert(offsetof(FileGetRecord, offset) == 8, "offset at byte 8");

struct FileProgressRecord {
    std::uint32_t tag;
    std::uint32_t id;
    std::uint64_t received; // bytes the server holds, from the start of the file
    std::uint64_t size;
};
static_assert(sizeof(FileProgressRecord) == 24, "FileProgressRecord is 24 bytes");
static_assert(offsetof(FileProgressRecord, received) == 8, "received at byte 8");

struct FileRefusedRecord {
    std::uint32_t tag; // the offer's tag, or 0
    std::uint32_t id;  // the transfer, or 0 when the offer was refused outright
    char reason[kReasonField];
};
static_assert(sizeof(FileRefusedRecord) == 208, "FileRefusedRecord is 208 bytes");

struct FileOfferEventRecord {
    std::uint32_t id;
    std::int32_t from;
    std::uint64_t size;
    std::uint8_t sha256[32];
    std::uint32_t sentAt;    // seconds since 1970, UTC, when it was offered
    std::uint32_t expiresAt; // when the server forgets it unless fetched first
    char nickname[kNicknameField];
    char name[kFileNameField];
};
static_assert(sizeof(FileOfferEventRecord) == 344, "FileOfferEventRecord is 344 bytes");
static_assert(offsetof(FileOfferEventRecord, sha256) == 16, "checksum at byte 16");
static_assert(offsetof(FileOfferEventRecord, nickname) == 56, "nickname at byte 56");
static_assert(offsetof(FileOfferEventRecord, name) == 88, "name at byte 88");
static_assert(sizeof(FileOfferEventRecord) <= kMaxEventData, "an offer fits one event");

#endif
