#include "TransferStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

#include "Log.h"
#include "Statement.h"

namespace kvxserver {

namespace {

std::string Hex(const std::array<std::uint8_t, 32>& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t b : bytes) hex += {kDigits[b >> 4], kDigits[b & 15]};
    return hex;
}

std::array<std::uint8_t, 32> Bytes(const std::string& hex)
{
    std::array<std::uint8_t, 32> bytes{};
    for (std::size_t i = 0; i < bytes.size() && 2 * i + 1 < hex.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    }
    return bytes;
}

const char kColumns[] = "SELECT id, sender, recipient, name, size, sha256, created_at, stored FROM transfers ";

TransferStore::Transfer Read(const Statement& row)
{
    TransferStore::Transfer transfer;
    transfer.id = static_cast<std::uint32_t>(row.Int(0));
    transfer.sender = static_cast<std::int32_t>(row.Int(1));
    transfer.recipient = static_cast<std::int32_t>(row.Int(2));
    transfer.name = row.Text(3);
    transfer.size = row.Int(4);
    transfer.sha256 = Bytes(row.Text(5));
    transfer.createdAt = row.Int(6);
    transfer.stored = row.Int(7) != 0;
    return transfer;
}

} // namespace

TransferStore::TransferStore(SqlDatabase& db, std::string folder) : db_(db), folder_(std::move(folder)) {}

bool TransferStore::Open(std::string& error)
{
    if (mkdir(folder_.c_str(), 0700) == 0 || errno == EEXIST) return true;
    error = "cannot make the files folder " + folder_ + ": " + std::strerror(errno);
    return false;
}

std::string TransferStore::PathOf(std::uint32_t id) const { return folder_ + "/" + std::to_string(id); }

std::uint32_t TransferStore::Create(const Transfer& transfer)
{
    Statement insert(db_, "INSERT INTO transfers (sender, recipient, name, size, sha256, created_at, stored) "
                          "VALUES (?, ?, ?, ?, ?, ?, 0) RETURNING id");
    if (!insert.Bind(1, transfer.sender) || !insert.Bind(2, transfer.recipient) || !insert.Bind(3, transfer.name) ||
        !insert.Bind(4, transfer.size) || !insert.Bind(5, Hex(transfer.sha256)) ||
        !insert.Bind(6, transfer.createdAt) || insert.Next() != Statement::Step::Row) {
        LogLine("transfer store: storing an offer from %d failed: %s", transfer.sender, db_.LastError().c_str());
        return 0;
    }
    const std::int64_t id = insert.Int(0);
    const int fd = id > 0 && id <= UINT32_MAX
                       ? open(PathOf(static_cast<std::uint32_t>(id)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)
                       : -1;
    if (fd < 0) {
        LogLine("transfer store: no file for transfer %lld: %s", static_cast<long long>(id), std::strerror(errno));
        Statement undo(db_, "DELETE FROM transfers WHERE id = ?");
        undo.Bind(1, static_cast<std::int64_t>(id));
        undo.Next();
        return 0;
    }
    close(fd);
    return static_cast<std::uint32_t>(id);
}

bool TransferStore::Find(std::uint32_t id, Transfer& out)
{
    Statement query(db_, (std::string(kColumns) + "WHERE id = ?").c_str());
    if (!query.Bind(1, static_cast<std::int64_t>(id)) || query.Next() != Statement::Step::Row) return false;
    out = Read(query);
    return true;
}

bool TransferStore::MarkStored(std::uint32_t id)
{
    Statement update(db_, "UPDATE transfers SET stored = 1 WHERE id = ? RETURNING id");
    return update.Bind(1, static_cast<std::int64_t>(id)) && update.Next() == Statement::Step::Row;
}

void TransferStore::Remove(std::uint32_t id)
{
    Statement remove(db_, "DELETE FROM transfers WHERE id = ?");
    if (remove.Bind(1, static_cast<std::int64_t>(id))) remove.Next();
    unlink(PathOf(id).c_str());
}

std::vector<TransferStore::Transfer> TransferStore::OffersFor(std::int32_t recipient)
{
    std::vector<Transfer> offers;
    Statement query(db_, (std::string(kColumns) + "WHERE recipient = ? AND stored = 1 ORDER BY id").c_str());
    if (!query.Bind(1, recipient)) return offers;
    while (query.Next() == Statement::Step::Row) offers.push_back(Read(query));
    return offers;
}

std::int64_t TransferStore::UnfinishedFrom(std::int32_t sender)
{
    Statement count(db_, "SELECT COUNT(*) FROM transfers WHERE sender = ? AND stored = 0");
    return count.Bind(1, sender) && count.Next() == Statement::Step::Row ? count.Int(0) : 0;
}

std::vector<std::uint32_t> TransferStore::MadeBefore(std::int64_t time)
{
    std::vector<std::uint32_t> ids;
    Statement query(db_, "SELECT id FROM transfers WHERE created_at < ?");
    if (!query.Bind(1, time)) return ids;
    while (query.Next() == Statement::Step::Row) ids.push_back(static_cast<std::uint32_t>(query.Int(0)));
    return ids;
}

} // namespace kvxserver
