// Files sent to contacts, stored and forwarded (CONTACTS.md): an offer is checked (a plain
// file name, the size cap, a known recipient) and uploaded in order; the whole file is then
// checked against the sender's checksum on a worker thread, and offered to the recipient,
// now or at their next list request, until fetched, declined or expired. Event loop thread
// only, like the stores it uses.
#ifndef KVX_SERVER_TRANSFERSERVICE_H
#define KVX_SERVER_TRANSFERSERVICE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "AccountStore.h"
#include "ContactSink.h"
#include "HashWorker.h"
#include "Options.h"
#include "PresenceHub.h"
#include "TransferStore.h"
#include "wire/Transfers.h"

namespace kvxserver {

class TransferService {
public:
    // Uploads one sender may have unfinished at once, and offers one recipient may have
    // waiting: so one account cannot fill the disk.
    static constexpr std::int64_t kMaxUnfinished = 10;
    static constexpr std::size_t kMaxWaiting = 100;
    // The uploader hears how far it has come after every this many bytes.
    static constexpr std::uint64_t kProgressStep = 32 * 1024;

    TransferService(AccountStore& accounts, TransferStore& store, PresenceHub& hub, HashWorker& worker,
                    const Options& options);
    ~TransferService();
    TransferService(const TransferService&) = delete;
    TransferService& operator=(const TransferService&) = delete;

    static bool Handles(std::uint16_t type);
    // One packet of a logged-in session; false when it means nothing (short, or about a
    // transfer that is not this account's to act on), which changes nothing.
    bool OnPacket(std::int32_t account, ContactSink& sink, std::uint16_t type, const std::uint8_t* payload,
                  std::size_t length);
    // The offers waiting for the account, sent after its list.
    void SendOffers(std::int32_t account, ContactSink& sink);
    // Forgets every transfer made more than the expiry before `now` (seconds since the epoch).
    void Expire(std::int64_t now);

private:
    struct Upload {
        int fd = -1;
        std::uint64_t received = 0;
        std::uint32_t tag = 0;
        bool checking = false; // complete; the worker is checking it
    };

    void OnOffer(std::int32_t account, ContactSink& sink, const FileOfferRecord& record);
    bool OnData(std::int32_t account, ContactSink& sink, const std::uint8_t* payload, std::size_t length);
    bool OnResume(std::int32_t account, ContactSink& sink, std::uint32_t id);
    bool OnGet(std::int32_t account, ContactSink& sink, const FileGetRecord& get);
    bool OnFinished(std::int32_t account, std::uint32_t id, bool fetched);

    // The open upload of the sender's transfer, or null (refused, with the reason sent).
    Upload* UploadOf(std::int32_t account, ContactSink& sink, std::uint32_t id);
    void Check(const TransferStore::Transfer& transfer);
    void OnChecked(std::uint32_t id, bool intact);
    void Forget(std::uint32_t id);
    FileOfferEventRecord OfferOf(const TransferStore::Transfer& transfer);
    static void Refuse(ContactSink& sink, std::uint32_t tag, std::uint32_t id, const std::string& reason);
    static void Progress(ContactSink& sink, std::uint16_t kind, std::uint32_t tag, std::uint32_t id,
                         std::uint64_t received, std::uint64_t size);

    AccountStore& accounts_;
    TransferStore& store_;
    PresenceHub& hub_;
    HashWorker& worker_;
    const Options& options_;
    std::unordered_map<std::uint32_t, Upload> uploads_; // by transfer id
};

} // namespace kvxserver

#endif
