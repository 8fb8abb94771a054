// Files through the server: refused outright for a bad name, a size over the cap or no such
// recipient; else uploaded in order only, checked, offered (at once, or at a later list even
// across a kill), fetched from any offset; fetched, declined and expired ones leave nothing.

#include <filesystem>

#include "core/TransferService.h"
#include "support/ServerTest.h"
#include "wire/Sha256.h"
#include "wire/Transfers.h"

class Transfers : public ServerTest {
protected:
    static std::string Bytes(std::size_t size, unsigned seed = 1)
    {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = char((i + seed) * 2654435761u >> 13);
        return bytes;
    }
    static FileOfferRecord Offer(std::int32_t to, const char* name, const std::string& bytes)
    {
        FileOfferRecord offer{to, 1, bytes.size(), {}, {}};
        kvxwire::Sha256 sha;
        sha.Add(bytes.data(), bytes.size());
        std::memcpy(offer.sha256, sha.Finish().data(), sizeof offer.sha256);
        std::strncpy(offer.name, name, sizeof offer.name - 1);
        return offer;
    }
    // The offer's id from the server's first answer (0: refused).
    static std::uint32_t Offered(Client& sender, const FileOfferRecord& offer)
    {
        sender.Put(PKT_FILE_OFFER, offer);
        return sender.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().id;
    }
    // Uploads bytes [from, to) in pieces of at most kMaxUploadChunk.
    static void Upload(Client& sender, std::uint32_t id, const std::string& bytes, std::uint64_t from, std::uint64_t to)
    {
        for (std::uint64_t at = from; at < to; at += kMaxUploadChunk) {
            const FileChunkHead head{id, std::uint16_t(std::min<std::uint64_t>(kMaxUploadChunk, to - at)), 0, at};
            sender.SendRaw(Frame(PKT_FILE_DATA, BytesOf(head) + bytes.substr(at, head.length)));
        }
    }
    // One PKT_FILE_GET from `offset` to the end of the file, read as long as it comes in order.
    static std::string Fetch(Client& recipient, std::uint32_t id, std::uint64_t offset, std::uint64_t size)
    {
        recipient.Put(PKT_FILE_GET, FileGetRecord{id, kMaxFileGet, offset});
        std::string got;
        for (Event chunk; offset + got.size() < size;
             got.append(chunk.data.begin() + sizeof(FileChunkHead), chunk.data.end())) {
            chunk = recipient.WaitEvent(EVENT_FILE_CHUNK);
            if (chunk.kind == 0 || chunk.As<FileChunkHead>().offset != offset + got.size()) break;
        }
        return got;
    }
    // The ids of the offers a list request brings.
    static std::vector<std::uint32_t> OffersTo(Client& recipient)
    {
        std::vector<std::uint32_t> ids;
        for (const Event& event : recipient.RequestList().stored)
            if (event.kind == EVENT_FILE_OFFER) ids.push_back(event.As<FileOfferEventRecord>().id);
        return ids;
    }
    std::ptrdiff_t FilesKept() const
    {
        const std::filesystem::directory_iterator files(File("kvx.db-files"));
        return std::distance(begin(files), end(files));
    }
};

TEST_F(Transfers, AnOfferIsRefusedOutrightOrUploadedInOrderCheckedOfferedAndFetchedFromAnyOffset)
{
    Start({"--max-file-mb", "1"});
    Client ann(port(), "Ann"), bob(port(), "Bob");
    const struct {
        std::int32_t to;
        const char* name;
        std::uint64_t size;
        const char* refusal;
    } cases[] = {
        {bob.account(), "map.bsp", 1 << 20, nullptr},
        {bob.account(), "big.pak", (1 << 20) + 1, "larger than this server takes (1 MB)"},
        {bob.account(), "..\\boot.ini", 10, "may not hold"},
        {ann.account(), "map.bsp", 10, "no such user"},
        {bob.account() + 50, "map.bsp", 10, "no such user"},
    };
    for (const auto& c : cases) {
        FileOfferRecord offer = Offer(c.to, c.name, "");
        offer.size = c.size;
        ann.Put(PKT_FILE_OFFER, offer);
        const std::vector<Event> answers = ann.Settle();
        ASSERT_EQ(answers.size(), 1u) << c.name;
        EXPECT_EQ(answers[0].kind, c.refusal ? EVENT_FILE_REFUSED : EVENT_FILE_PROGRESS) << c.name;
        const FileRefusedRecord refused = answers[0].As<FileRefusedRecord>();
        if (c.refusal) EXPECT_NE(std::string(refused.reason).find(c.refusal), std::string::npos) << refused.reason;
    }

    // An upload takes only its next bytes and is offered only when its checksum matches.
    const std::string bytes = Bytes(40000);
    const std::uint32_t id = Offered(ann, Offer(bob.account(), "map.bsp", bytes));
    Upload(ann, id, bytes, 0, 30000);
    // Ahead, overlapping, running past the size: ignored, and the upload goes on unharmed.
    const std::string other = Bytes(50000, 2);
    Upload(ann, id, other, 31000, 31100);
    Upload(ann, id, other, 29000, 31000);
    Upload(ann, id, bytes, 30000, 39000);
    EXPECT_GE(ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().received,
              kvxserver::TransferService::kProgressStep)
        << "the uploader is told as it passes each step";
    Upload(ann, id, other, 39000, 40100);
    Upload(ann, id, bytes, 39000, bytes.size());
    EXPECT_EQ(ann.WaitEvent(EVENT_FILE_STORED).As<FileProgressRecord>().id, id);

    const FileOfferEventRecord offer = bob.WaitEvent(EVENT_FILE_OFFER, ann.account()).As<FileOfferEventRecord>();
    EXPECT_TRUE(offer.id == id && offer.size == bytes.size() && offer.expiresAt - offer.sentAt == 7 * 86400);
    EXPECT_STREQ(offer.name, "map.bsp");
    EXPECT_STREQ(offer.nickname, "Ann");
    EXPECT_TRUE(Fetch(bob, id, 0, bytes.size()) == bytes);
    EXPECT_TRUE(Fetch(bob, id, 39500, bytes.size()) == bytes.substr(39500)) << "a fetch resumed";
    bob.Put(PKT_FILE_DONE, FileIdRecord{id});
    bob.Put(PKT_FILE_GET, FileGetRecord{id, 100, 0});
    EXPECT_EQ(bob.WaitEvent(EVENT_FILE_REFUSED).As<FileRefusedRecord>().id, id) << "gone once fetched";
    EXPECT_EQ(FilesKept(), 1) << "only the 1 MB upload offered above is kept";

    const std::uint32_t changed = Offered(ann, Offer(bob.account(), "other.pak", Bytes(10)));
    Upload(ann, changed, Bytes(10, 2), 0, 10); // not what its checksum says: neither kept nor offered
    EXPECT_EQ(ann.WaitEvent(EVENT_FILE_REFUSED).As<FileRefusedRecord>().id, changed);
    EXPECT_FALSE(Has(bob.Settle(), EVENT_FILE_OFFER) || FilesKept() != 1);
}

TEST_F(Transfers, OffersWaitForTheOfflineAcrossAKillUntilDeclinedOrSevenDaysOld)
{
    Start();
    const std::string bytes = Bytes(5000);
    Client first(port(), "Ann");
    const std::int32_t cid = Client(port(), "Cid").account();
    std::uint32_t ids[2] = {};
    for (std::uint32_t& id : ids) {
        id = Offered(first, Offer(cid, "map.bsp", bytes));
        Upload(first, id, bytes, 0, 3000);
    }
    first.Settle();
    ASSERT_EQ(Stop(SIGKILL), -1);
    Start();
    Client ann(port(), first.account());
    for (const std::uint32_t id : ids) {
        ann.Put(PKT_FILE_RESUME, FileIdRecord{id});
        EXPECT_EQ(ann.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().received, 3000u) << "kept on disk";
        Upload(ann, id, bytes, 3000, bytes.size());
        EXPECT_EQ(ann.WaitEvent(EVENT_FILE_STORED).As<FileProgressRecord>().id, id);
    }
    Client recipient(port(), cid);
    EXPECT_EQ(OffersTo(recipient), (std::vector<std::uint32_t>{ids[0], ids[1]}));
    recipient.Put(PKT_FILE_DROP, FileIdRecord{ids[1]});
    EXPECT_EQ(OffersTo(recipient), std::vector<std::uint32_t>{ids[0]}) << "declined";

    // Aged to ten minutes short of seven days, then ten minutes past: forgotten at the next start.
    for (const int olderBy : {7 * 86400 - 600, 1200}) {
        ASSERT_EQ(Stop(SIGTERM), 0);
        Seed([&](kvxserver::AccountStore& accounts, kvxserver::ContactStore&) {
            const std::string age = "UPDATE transfers SET created_at = created_at - " + std::to_string(olderBy);
            std::string error;
            ASSERT_TRUE(accounts.Database().Exec(age.c_str(), error)) << error;
        });
        Start();
        Client later(port(), cid);
        EXPECT_EQ(OffersTo(later).size(), olderBy == 1200 ? 0u : 1u) << olderBy;
        EXPECT_EQ(FilesKept(), olderBy == 1200 ? 0 : 1) << olderBy;
    }
}
