#include "TransferService.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "EventPacket.h"
#include "FixedField.h"
#include "Log.h"
#include "wire/FileName.h"
#include "wire/Sha256.h"

namespace kvxserver {

namespace {

constexpr std::size_t kMaxOpenFiles = 256;
constexpr char kGone[] = "That file is no longer on the server.";

template <typename Record> bool ReadRecord(const std::uint8_t* payload, std::size_t length, Record& out)
{
    if (length < sizeof out) return false;
    std::memcpy(&out, payload, sizeof out);
    return true;
}

template <typename Record>
void SendEvent(ContactSink& sink, std::uint16_t kind, std::int32_t from, const Record& record)
{
    const EventPacket event(kind, from, &record, sizeof record);
    sink.Deliver(PKT_NEW_EVENT, event.data(), event.size());
}

// SHA-256 of the whole file, after syncing it to disk; false when it cannot be read.
bool DigestOf(const std::string& path, kvxwire::Sha256::Digest& out)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    kvxwire::Sha256 sha;
    std::vector<std::uint8_t> block(1 << 16);
    ssize_t got;
    while ((got = read(fd, block.data(), block.size())) > 0) sha.Add(block.data(), static_cast<std::size_t>(got));
    const bool ok = got == 0 && fsync(fd) == 0;
    close(fd);
    out = sha.Finish();
    return ok;
}

} // namespace

TransferService::TransferService(AccountStore& accounts, TransferStore& store, PresenceHub& hub, HashWorker& worker,
                                 const Options& options)
    : accounts_(accounts), store_(store), hub_(hub), worker_(worker), options_(options)
{
}

TransferService::~TransferService()
{
    for (auto& upload : uploads_) {
        if (upload.second.fd >= 0) close(upload.second.fd);
    }
}

bool TransferService::Handles(std::uint16_t type)
{
    switch (type) {
    case PKT_FILE_OFFER:
    case PKT_FILE_DATA:
    case PKT_FILE_RESUME:
    case PKT_FILE_GET:
    case PKT_FILE_DONE:
    case PKT_FILE_DROP: return true;
    default: return false;
    }
}

bool TransferService::OnPacket(std::int32_t account, ContactSink& sink, std::uint16_t type, const std::uint8_t* payload,
                               std::size_t length)
{
    FileIdRecord id;
    switch (type) {
    case PKT_FILE_OFFER: {
        FileOfferRecord offer;
        if (!ReadRecord(payload, length, offer)) return false;
        OnOffer(account, sink, offer);
        return true;
    }
    case PKT_FILE_DATA: return OnData(account, sink, payload, length);
    case PKT_FILE_RESUME: return ReadRecord(payload, length, id) && OnResume(account, sink, id.id);
    case PKT_FILE_GET: {
        FileGetRecord get;
        return ReadRecord(payload, length, get) && OnGet(account, sink, get);
    }
    case PKT_FILE_DONE:
    case PKT_FILE_DROP: return ReadRecord(payload, length, id) && OnFinished(account, id.id, type == PKT_FILE_DONE);
    default: return false;
    }
}

void TransferService::OnOffer(std::int32_t account, ContactSink& sink, const FileOfferRecord& record)
{
    TransferStore::Transfer transfer;
    transfer.sender = account;
    transfer.recipient = record.to;
    transfer.name = FieldText(record.name, sizeof record.name);
    transfer.size = static_cast<std::int64_t>(std::min<std::uint64_t>(record.size, INT64_MAX));
    std::memcpy(transfer.sha256.data(), record.sha256, sizeof record.sha256);
    transfer.createdAt = static_cast<std::int64_t>(std::time(nullptr));
    const std::uint64_t cap = static_cast<std::uint64_t>(options_.maxFileMegabytes) << 20;
    AccountStore::Account recipient;
    const char* problem = kvxwire::FileNameProblem(record.name, sizeof record.name);
    std::string refusal;
    if (options_.maxFileMegabytes == 0) {
        refusal = "This server does not take files.";
    } else if (problem != nullptr) {
        refusal = problem;
    } else if (record.size > cap) {
        refusal =
            transfer.name + " is larger than this server takes (" + std::to_string(options_.maxFileMegabytes) + " MB).";
    } else if (record.to == account || record.to < AccountStore::kFirstAccount ||
               !accounts_.Find(record.to, recipient)) {
        refusal = "There is no such user to send a file to.";
    } else if (store_.UnfinishedFrom(account) >= kMaxUnfinished || store_.OffersFor(record.to).size() >= kMaxWaiting) {
        refusal = "Too many files are on their way. Try again once some have arrived.";
    }
    if (refusal.empty() && (transfer.id = store_.Create(transfer)) == 0) {
        refusal = "The server could not take the file. Try again later.";
    }
    if (!refusal.empty()) {
        Refuse(sink, record.tag, 0, refusal);
        return;
    }
    LogLine("transfer %u: %d offers %s (%lld bytes) to %d", transfer.id, account, transfer.name.c_str(),
            static_cast<long long>(transfer.size), record.to);
    uploads_[transfer.id].tag = record.tag;
    Progress(sink, EVENT_FILE_PROGRESS, record.tag, transfer.id, 0, record.size);
    if (transfer.size == 0) Check(transfer);
}

TransferService::Upload* TransferService::UploadOf(std::int32_t account, ContactSink& sink, std::uint32_t id)
{
    TransferStore::Transfer transfer;
    if (!store_.Find(id, transfer) || transfer.sender != account || transfer.stored) return nullptr;
    Upload& upload = uploads_[id];
    if (upload.fd >= 0 || upload.checking) return &upload;
    if (uploads_.size() > kMaxOpenFiles) {
        for (auto& open : uploads_) {
            if (open.second.fd >= 0) close(open.second.fd);
            open.second.fd = -1;
        }
    }
    upload.fd = open(store_.PathOf(id).c_str(), O_WRONLY | O_CREAT, 0600);
    struct stat held {};
    if (upload.fd < 0 || fstat(upload.fd, &held) != 0) {
        LogLine("transfer %u: its file cannot be opened: %s", id, std::strerror(errno));
        const std::uint32_t tag = upload.tag;
        Forget(id);
        Refuse(sink, tag, id, "The server could not keep the file. Send it again.");
        return nullptr;
    }
    // After a restart the file's length is what was kept.
    upload.received = std::min<std::uint64_t>(static_cast<std::uint64_t>(held.st_size), transfer.size);
    return &upload;
}

bool TransferService::OnData(std::int32_t account, ContactSink& sink, const std::uint8_t* payload, std::size_t length)
{
    FileChunkHead head;
    TransferStore::Transfer transfer;
    if (!ReadRecord(payload, length, head) || head.length == 0 || length - sizeof head != head.length ||
        !store_.Find(head.id, transfer)) {
        return false;
    }
    Upload* upload = UploadOf(account, sink, head.id);
    // Only the next bytes in order, never past the announced size.
    if (upload == nullptr || upload->checking || head.offset != upload->received ||
        head.offset + head.length > static_cast<std::uint64_t>(transfer.size)) {
        return false;
    }
    if (pwrite(upload->fd, payload + sizeof head, head.length, static_cast<off_t>(head.offset)) != head.length) {
        LogLine("transfer %u: writing failed: %s", head.id, std::strerror(errno));
        const std::uint32_t tag = upload->tag;
        Forget(head.id);
        Refuse(sink, tag, head.id, "The server has no room for the file now. Try again later.");
        return true;
    }
    const std::uint64_t before = upload->received;
    upload->received += head.length;
    if (upload->received == static_cast<std::uint64_t>(transfer.size)) {
        close(upload->fd);
        upload->fd = -1;
        Check(transfer);
    } else if (upload->received / kProgressStep != before / kProgressStep) {
        Progress(sink, EVENT_FILE_PROGRESS, upload->tag, head.id, upload->received, transfer.size);
    }
    return true;
}

bool TransferService::OnResume(std::int32_t account, ContactSink& sink, std::uint32_t id)
{
    TransferStore::Transfer transfer;
    if (!store_.Find(id, transfer) || transfer.sender != account) {
        Refuse(sink, 0, id, kGone);
        return true;
    }
    if (transfer.stored) {
        Progress(sink, EVENT_FILE_STORED, 0, id, transfer.size, transfer.size);
        return true;
    }
    Upload* upload = UploadOf(account, sink, id);
    if (upload != nullptr && !upload->checking) {
        Progress(sink, EVENT_FILE_PROGRESS, upload->tag, id, upload->received, transfer.size);
    }
    return true;
}

bool TransferService::OnGet(std::int32_t account, ContactSink& sink, const FileGetRecord& get)
{
    TransferStore::Transfer transfer;
    if (!store_.Find(get.id, transfer) || transfer.recipient != account || !transfer.stored) {
        Refuse(sink, 0, get.id, kGone);
        return true;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(transfer.size);
    if (get.offset > size || get.length > kMaxFileGet) return false;
    const int fd = open(store_.PathOf(get.id).c_str(), O_RDONLY);
    std::uint8_t chunk[sizeof(FileChunkHead) + kMaxDownloadChunk];
    const std::uint64_t end = std::min<std::uint64_t>(size, get.offset + get.length);
    for (std::uint64_t at = get.offset; fd >= 0 && at < end;) {
        FileChunkHead head{get.id, static_cast<std::uint16_t>(std::min<std::uint64_t>(kMaxDownloadChunk, end - at)), 0,
                           at};
        if (pread(fd, chunk + sizeof head, head.length, static_cast<off_t>(at)) != head.length) break;
        std::memcpy(chunk, &head, sizeof head);
        const EventPacket event(EVENT_FILE_CHUNK, transfer.sender, chunk, sizeof head + head.length);
        sink.Deliver(PKT_NEW_EVENT, event.data(), event.size());
        at += head.length;
        if (at == end) {
            close(fd);
            return true;
        }
    }
    if (fd >= 0) close(fd);
    LogLine("transfer %u: its file cannot be read", get.id);
    Refuse(sink, 0, get.id, "The server lost that file.");
    return true;
}

bool TransferService::OnFinished(std::int32_t account, std::uint32_t id, bool fetched)
{
    TransferStore::Transfer transfer;
    if (!store_.Find(id, transfer)) return false;
    const bool mayDrop = transfer.recipient == account || transfer.sender == account;
    if (fetched ? transfer.recipient != account || !transfer.stored : !mayDrop) return false;
    LogLine("transfer %u: %s by %d", id, fetched ? "fetched" : "dropped", account);
    Forget(id);
    return true;
}

void TransferService::Check(const TransferStore::Transfer& transfer)
{
    uploads_[transfer.id].checking = true;
    auto intact = std::make_shared<bool>(false);
    const std::string path = store_.PathOf(transfer.id);
    const std::array<std::uint8_t, 32> expected = transfer.sha256;
    const std::uint32_t id = transfer.id;
    worker_.Run(
        [path, expected, intact] {
            kvxwire::Sha256::Digest digest;
            *intact = DigestOf(path, digest) && digest == expected;
        },
        [this, id, intact] { OnChecked(id, *intact); });
}

void TransferService::OnChecked(std::uint32_t id, bool intact)
{
    TransferStore::Transfer transfer;
    if (!store_.Find(id, transfer)) return; // dropped or expired meanwhile
    const std::uint32_t tag = uploads_[id].tag;
    if (!intact || !store_.MarkStored(id)) {
        LogLine("transfer %u: %s", id, intact ? "cannot be marked stored" : "does not match its checksum");
        const FileRefusedRecord refused = [&] {
            FileRefusedRecord record{tag, id, {}};
            SetField(record.reason, sizeof record.reason,
                     transfer.name + " changed while it was being sent, so it was not kept. Send it again.");
            return record;
        }();
        Forget(id); // first: the answer may be read before this call returns
        const EventPacket event(EVENT_FILE_REFUSED, transfer.recipient, &refused, sizeof refused);
        hub_.Deliver(transfer.sender, PKT_NEW_EVENT, event.data(), event.size());
        return;
    }
    uploads_.erase(id);
    LogLine("transfer %u: stored, offered to %d", id, transfer.recipient);
    const FileProgressRecord stored{tag, id, static_cast<std::uint64_t>(transfer.size),
                                    static_cast<std::uint64_t>(transfer.size)};
    const EventPacket done(EVENT_FILE_STORED, transfer.recipient, &stored, sizeof stored);
    hub_.Deliver(transfer.sender, PKT_NEW_EVENT, done.data(), done.size());
    const FileOfferEventRecord offer = OfferOf(transfer);
    const EventPacket event(EVENT_FILE_OFFER, transfer.sender, &offer, sizeof offer);
    hub_.Deliver(transfer.recipient, PKT_NEW_EVENT, event.data(), event.size());
}

void TransferService::SendOffers(std::int32_t account, ContactSink& sink)
{
    for (const TransferStore::Transfer& transfer : store_.OffersFor(account)) {
        SendEvent(sink, EVENT_FILE_OFFER, transfer.sender, OfferOf(transfer));
    }
}

void TransferService::Expire(std::int64_t now)
{
    const std::vector<std::uint32_t> old =
        store_.MadeBefore(now - static_cast<std::int64_t>(options_.fileExpiryDays) * 86400);
    for (std::uint32_t id : old) Forget(id);
    if (!old.empty()) LogLine("%zu transfers expired", old.size());
}

void TransferService::Forget(std::uint32_t id)
{
    const auto upload = uploads_.find(id);
    if (upload != uploads_.end()) {
        if (upload->second.fd >= 0) close(upload->second.fd);
        uploads_.erase(upload);
    }
    store_.Remove(id);
}

FileOfferEventRecord TransferService::OfferOf(const TransferStore::Transfer& transfer)
{
    FileOfferEventRecord offer{};
    offer.id = transfer.id;
    offer.from = transfer.sender;
    offer.size = static_cast<std::uint64_t>(transfer.size);
    std::memcpy(offer.sha256, transfer.sha256.data(), sizeof offer.sha256);
    offer.sentAt = static_cast<std::uint32_t>(transfer.createdAt);
    offer.expiresAt =
        static_cast<std::uint32_t>(transfer.createdAt + static_cast<std::int64_t>(options_.fileExpiryDays) * 86400);
    AccountStore::Account sender;
    const std::string* online = hub_.NicknameOf(transfer.sender);
    SetField(offer.nickname, sizeof offer.nickname,
             online != nullptr ? *online : (accounts_.Find(transfer.sender, sender) ? sender.nickname : std::string()));
    SetField(offer.name, sizeof offer.name, transfer.name);
    return offer;
}

void TransferService::Refuse(ContactSink& sink, std::uint32_t tag, std::uint32_t id, const std::string& reason)
{
    FileRefusedRecord refused{tag, id, {}};
    SetField(refused.reason, sizeof refused.reason, reason);
    SendEvent(sink, EVENT_FILE_REFUSED, 0, refused);
}

void TransferService::Progress(ContactSink& sink, std::uint16_t kind, std::uint32_t tag, std::uint32_t id,
                               std::uint64_t received, std::uint64_t size)
{
    const FileProgressRecord progress{tag, id, received, size};
    SendEvent(sink, kind, 0, progress);
}

} // namespace kvxserver
