// Files through the server: an offer is refused outright for a bad name, size or recipient;
// accepted ones are uploaded in order (anything else is ignored), checked against the
// sender's checksum, offered to the recipient (at once or at their next login, across a
// server kill) and fetched in pieces; fetched, declined and expired ones leave nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "core/TransferService.h"
#include "wire/Sha256.h"
#include "wire/Transfers.h"

namespace {

std::string Bytes(std::size_t size)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

FileOfferRecord Offer(std::int32_t to, const std::string& name, const std::string& bytes, std::uint32_t tag = 1)
{
    FileOfferRecord offer{to, tag, bytes.size(), {}, {}};
    kvxwire::Sha256 sha;
    sha.Add(bytes.data(), bytes.size());
    const kvxwire::Sha256::Digest digest = sha.Finish();
    std::memcpy(offer.sha256, digest.data(), digest.size());
    std::strncpy(offer.name, name.c_str(), sizeof offer.name - 1);
    return offer;
}

bool SendChunk(ContactClient& client, std::uint32_t id, const std::string& bytes, std::uint64_t at, std::size_t n)
{
    std::string payload(sizeof(FileChunkHead), '\0');
    const FileChunkHead head{id, static_cast<std::uint16_t>(n), 0, at};
    std::memcpy(&payload[0], &head, sizeof head);
    payload += bytes.substr(at, n);
    return client.wire().Send(PKT_FILE_DATA, payload.data(), payload.size());
}

// Uploads bytes [from, to) in full chunks; the id of the offer's first answer when from is 0.
void Upload(ContactClient& client, std::uint32_t id, const std::string& bytes, std::uint64_t from, std::uint64_t to)
{
    for (std::uint64_t at = from; at < to; at += kMaxUploadChunk) {
        ASSERT_TRUE(SendChunk(client, id, bytes, at, std::min<std::uint64_t>(kMaxUploadChunk, to - at)));
    }
}

// Fetches the whole offer in PKT_FILE_GET windows.
std::string Fetch(ContactClient& client, const FileOfferEventRecord& offer)
{
    std::string got;
    while (got.size() < offer.size) {
        const FileGetRecord get{offer.id, kMaxFileGet, got.size()};
        client.wire().Send(PKT_FILE_GET, &get, sizeof get);
        const std::size_t end = std::min<std::size_t>(offer.size, got.size() + kMaxFileGet);
        while (got.size() < end) {
            const Event chunk = client.WaitEvent(EVENT_FILE_CHUNK);
            if (chunk.kind == 0) return got;
            const FileChunkHead head = chunk.As<FileChunkHead>();
            EXPECT_EQ(head.offset, got.size());
            got.append(reinterpret_cast<const char*>(chunk.data.data()) + sizeof head, head.length);
        }
    }
    return got;
}

std::ptrdiff_t FilesIn(const std::string& folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

} // namespace

TEST(Transfers, BadOffersAreRefusedOutrightWithAReason)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"), {"--max-file-mb", "1"});
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    struct Case {
        std::int32_t to;
        std::string name;
        std::size_t size;
        const char* reason; // a part of it
    };
    const Case cases[] = {
        {bob.account(), "..\\boot.ini", 10, "may not hold"},
        {bob.account(), "../x", 10, "may not hold"},
        {bob.account(), "nul.txt", 10, "device"},
        {bob.account(), "..x", 10, "may not begin"},
        {bob.account(), "big.pak", (1 << 20) + 1, "larger"},
        {ann.account(), "map.bsp", 10, "no such user"},
        {bob.account() + 50, "map.bsp", 10, "no such user"},
    };
    std::uint32_t tag = 100;
    for (const Case& c : cases) {
        const FileOfferRecord offer = Offer(c.to, c.name, std::string(c.size, 'x'), ++tag);
        ASSERT_TRUE(ann.wire().Send(PKT_FILE_OFFER, &offer, sizeof offer));
        const FileRefusedRecord refused = ann.WaitEvent(EVENT_FILE_REFUSED).As<FileRefusedRecord>();
        EXPECT_EQ(refused.tag, tag) << c.name;
        EXPECT_EQ(refused.id, 0u) << c.name;
        EXPECT_NE(std::string(refused.reason).find(c.reason), std::string::npos) << c.name << ": " << refused.reason;
    }
    EXPECT_EQ(FilesIn(dir.File("kvx.db-files")), 0);
}

TEST(Transfers, AnUploadTakesOnlyTheNextBytesAndIsOfferedOnceItsChecksumMatches)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    const std::string bytes = Bytes(100000);
    const FileOfferRecord offer = Offer(bob.account(), "map.bsp", bytes, 7);
    ASSERT_TRUE(ann.wire().Send(PKT_FILE_OFFER, &offer, sizeof offer));
    const FileProgressRecord start = ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>();
    ASSERT_NE(start.id, 0u);
    EXPECT_EQ(start.tag, 7u);
    EXPECT_EQ(start.received, 0u);

    Upload(ann, start.id, bytes, 0, 40000);
    // Out of order, overlapping, past the size: all ignored, the upload goes on unharmed.
    ASSERT_TRUE(SendChunk(ann, start.id, bytes, 50000, 100));
    ASSERT_TRUE(SendChunk(ann, start.id, bytes, 39000, 2000));
    ASSERT_TRUE(SendChunk(ann, start.id, std::string(200000, 'x'), 99990, 100));
    ASSERT_TRUE(ann.wire().Send(PKT_FILE_RESUME, &start.id, sizeof start.id));
    const std::uint64_t firstStep = (kvxserver::TransferService::kProgressStep / kMaxUploadChunk + 1) * kMaxUploadChunk;
    EXPECT_EQ(ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().received, firstStep) << "the step's ack";
    EXPECT_EQ(ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().received, 40000u) << "the resume's answer";
    Upload(ann, start.id, bytes, 40000, bytes.size());
    EXPECT_EQ(ann.WaitEvent(EVENT_FILE_STORED).As<FileProgressRecord>().id, start.id);

    const Event offered = bob.WaitEvent(EVENT_FILE_OFFER, ann.account());
    const FileOfferEventRecord record = offered.As<FileOfferEventRecord>();
    EXPECT_STREQ(record.name, "map.bsp");
    EXPECT_STREQ(record.nickname, "Ann");
    EXPECT_EQ(record.size, bytes.size());
    EXPECT_EQ(0, std::memcmp(record.sha256, offer.sha256, sizeof offer.sha256));
    EXPECT_EQ(record.expiresAt - record.sentAt, 7u * 86400);
    EXPECT_TRUE(Fetch(bob, record) == bytes);
    ASSERT_TRUE(bob.wire().Send(PKT_FILE_DONE, &record.id, sizeof record.id));
    const FileGetRecord again{record.id, 100, 0};
    ASSERT_TRUE(bob.wire().Send(PKT_FILE_GET, &again, sizeof again));
    EXPECT_EQ(bob.WaitEvent(EVENT_FILE_REFUSED).As<FileRefusedRecord>().id, record.id) << "gone once fetched";
    EXPECT_EQ(FilesIn(dir.File("kvx.db-files")), 0);

    // A file that changed under its checksum is not kept.
    ann.Settle();
    const FileOfferRecord wrong = Offer(bob.account(), "other.pak", Bytes(10));
    ASSERT_TRUE(ann.wire().Send(PKT_FILE_OFFER, &wrong, sizeof wrong));
    const std::uint32_t id = ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().id;
    Upload(ann, id, std::string(10, 'y'), 0, 10);
    EXPECT_NE(std::string(ann.WaitEvent(EVENT_FILE_REFUSED).As<FileRefusedRecord>().reason).find("changed"),
              std::string::npos);
    EXPECT_EQ(FilesIn(dir.File("kvx.db-files")), 0);
}

TEST(Transfers, OffersWaitForAnOfflineRecipientAcrossAServerKillUntilDeclinedOrExpired)
{
    TempDir dir;
    const std::string bytes = Bytes(5000);
    std::int32_t annAccount = 0, cidAccount = 0;
    std::uint32_t declined = 0;
    {
        ServerProcess server(dir.File("kvx.db"));
        ContactClient ann(server.port(), "Ann");
        annAccount = ann.account();
        cidAccount = ContactClient(server.port(), "Cid").account();
        for (const char* name : {"keep.bsp", "decline.bsp"}) {
            const FileOfferRecord offer = Offer(cidAccount, name, bytes);
            ASSERT_TRUE(ann.wire().Send(PKT_FILE_OFFER, &offer, sizeof offer));
            const std::uint32_t id = ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().id;
            Upload(ann, id, bytes, 0, 3000);
            ann.Settle();
            declined = id;
        }
        ASSERT_EQ(server.Stop(SIGKILL), -1);
    }
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), annAccount, "pw");
    for (std::uint32_t id : {declined - 1, declined}) {
        ASSERT_TRUE(ann.wire().Send(PKT_FILE_RESUME, &id, sizeof id));
        EXPECT_EQ(ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().received, 3000u) << "kept on disk";
        Upload(ann, id, bytes, 3000, bytes.size());
        EXPECT_EQ(ann.WaitEvent(EVENT_FILE_STORED).As<FileProgressRecord>().id, id);
    }
    {
        ContactClient cid(server.port(), cidAccount, "pw");
        const ContactClient::ListReply list = cid.RequestList();
        std::vector<std::uint32_t> offered;
        for (const Event& event : list.stored)
            if (event.kind == EVENT_FILE_OFFER) offered.push_back(event.As<FileOfferEventRecord>().id);
        EXPECT_EQ(offered, (std::vector<std::uint32_t>{declined - 1, declined}));
        ASSERT_TRUE(cid.wire().Send(PKT_FILE_DROP, &declined, sizeof declined));
        cid.Settle();
    }
    EXPECT_EQ(FilesIn(dir.File("kvx.db-files")), 1) << "the declined one is gone";
    ASSERT_EQ(server.Stop(SIGTERM), 0);

    // Eight days later the other one has expired too, at the next start.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File("kvx.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE transfers SET created_at = created_at - 8 * 86400", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ServerProcess later(dir.File("kvx.db"));
    ContactClient cid(later.port(), cidAccount, "pw");
    for (const Event& event : cid.RequestList().stored) EXPECT_NE(event.kind, EVENT_FILE_OFFER);
    EXPECT_EQ(FilesIn(dir.File("kvx.db-files")), 0);
}
