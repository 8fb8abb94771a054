#include "FileTransfers.h"

#include <commdlg.h>

#include <cstddef>
#include <cstring>

#include "TransferWindow.h"
#include "artres/artres.h"
#include "records/ThisModule.h"
#include "records/WindowClass.h"
#include "sockio/sockio.h"
#include "winkit/winkit.h"
#include "wire/FileName.h"
#include "wire/Sha256.h"

namespace {

const char kClassName[] = "KVXTransfers";
const UINT kRequestMessage = WM_USER + 1;
const char kMagic[4] = {'K', 'V', 'X', 'T'};
const std::uint32_t kHalfWindow = CFileTransfers::kWindow / 2;

struct StateHead {
    char magic[4];
    std::uint32_t uploads;
    std::uint32_t downloads;
};

void Tell(const char* title, const std::string& text) { WK_Info(title, text.c_str(), AR_Icon("file")); }

// Reads `size` bytes at `offset`; false when the file is gone or holds fewer.
bool ReadAt(const char* path, std::uint64_t offset, void* out, DWORD size, std::uint64_t expectedSize)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length = {}, at = {};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    const bool ok = GetFileSizeEx(file, &length) && static_cast<std::uint64_t>(length.QuadPart) == expectedSize &&
                    SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, out, size, &got, nullptr) &&
                    got == size;
    CloseHandle(file);
    return ok;
}

// SHA-256 and length of a whole file; false when it cannot be read.
bool Digest(const char* path, kvxwire::Sha256::Digest& digest, std::uint64_t& size)
{
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    kvxwire::Sha256 sha;
    static char block[1 << 16];
    DWORD got = 0;
    BOOL ok;
    size = 0;
    while ((ok = ReadFile(file, block, sizeof block, &got, nullptr)) && got > 0) {
        sha.Add(block, got);
        size += got;
    }
    CloseHandle(file);
    digest = sha.Finish();
    return ok != FALSE;
}

// "map (2).bsp" for the second try of "map.bsp".
std::string Numbered(const std::string& name, int number)
{
    if (number == 1) return name;
    const std::string::size_type dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? std::string() : name.substr(dot);
    return stem + " (" + std::to_string(number) + ")" + extension;
}

} // namespace

const char CFileTransfers::kStatePath[] = "Data\\transfers.dat";
const char CFileTransfers::kDownloads[] = "Downloads";

CFileTransfers::CFileTransfers() : m_bar(nullptr), m_window(nullptr), m_socket(0), m_lastTag(0), m_state(kStatePath) {}

CFileTransfers::~CFileTransfers()
{
    Pause();
    if (IsWindow(m_window)) DestroyWindow(m_window);
}

void CFileTransfers::Init(HWND bar)
{
    m_bar = bar;
    Pause();
    for (Upload& upload : m_uploads) CTransferWindow::Close(upload.window);
    for (Download& download : m_downloads) CTransferWindow::Close(download.window);
    m_uploads.clear();
    m_downloads.clear();
    Load();
    if (!IsWindow(m_window) && RegisterWindowClassOnce(ThisModule(), kClassName, &WindowProc, nullptr)) {
        m_window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

LRESULT CALLBACK CFileTransfers::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CFileTransfers* self = reinterpret_cast<CFileTransfers*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != kRequestMessage || !self) return DefWindowProcA(window, message, wParam, lParam);
    self->RequestAll();
    return 0;
}

bool CFileTransfers::SendPacket(WORD type, const void* data, int length) const
{
    return m_socket && SK_WPacket(m_socket, type, data, length);
}

void CFileTransfers::Save() const
{
    const StateHead head = {{kMagic[0], kMagic[1], kMagic[2], kMagic[3]},
                            static_cast<std::uint32_t>(m_uploads.size()),
                            static_cast<std::uint32_t>(m_downloads.size())};
    std::string bytes(reinterpret_cast<const char*>(&head), sizeof head);
    for (const Upload& upload : m_uploads) bytes.append(reinterpret_cast<const char*>(&upload), offsetof(Upload, sent));
    for (const Download& download : m_downloads)
        bytes.append(reinterpret_cast<const char*>(&download.offer), sizeof download.offer);
    m_state.Write(bytes);
}

void CFileTransfers::Load()
{
    const std::string bytes = m_state.Read();
    StateHead head = {};
    if (bytes.size() < sizeof head) return;
    std::memcpy(&head, bytes.data(), sizeof head);
    if (std::memcmp(head.magic, kMagic, sizeof kMagic) != 0 ||
        bytes.size() !=
            sizeof head + head.uploads * offsetof(Upload, sent) + head.downloads * sizeof(FileOfferEventRecord))
        return;
    const char* at = bytes.data() + sizeof head;
    for (std::uint32_t i = 0; i < head.uploads; ++i, at += offsetof(Upload, sent)) {
        Upload upload = {};
        std::memcpy(&upload, at, offsetof(Upload, sent));
        upload.name[sizeof upload.name - 1] = upload.path[sizeof upload.path - 1] = 0;
        upload.toName[sizeof upload.toName - 1] = 0;
        if (upload.tag > m_lastTag) m_lastTag = upload.tag;
        upload.window = CTransferWindow::Open(std::string("Sending ") + upload.name);
        m_uploads.push_back(upload);
    }
    for (std::uint32_t i = 0; i < head.downloads; ++i, at += sizeof(FileOfferEventRecord)) {
        Download download = {};
        std::memcpy(&download.offer, at, sizeof download.offer);
        download.offer.name[sizeof download.offer.name - 1] = download.offer.nickname[kNicknameField - 1] = 0;
        download.file = INVALID_HANDLE_VALUE;
        download.window = CTransferWindow::Open(std::string("Receiving ") + download.offer.name);
        m_downloads.push_back(download);
    }
}

void CFileTransfers::Resume(UINT_PTR socket)
{
    m_socket = socket;
    for (Upload& upload : m_uploads) {
        if (upload.id) {
            const FileIdRecord id = {upload.id};
            SendPacket(PKT_FILE_RESUME, &id, sizeof id);
            continue;
        }
        FileOfferRecord offer = {upload.to, upload.tag, upload.size, {}, {}};
        std::memcpy(offer.sha256, upload.sha256, sizeof offer.sha256);
        lstrcpynA(offer.name, upload.name, sizeof offer.name);
        SendPacket(PKT_FILE_OFFER, &offer, sizeof offer);
    }
    for (std::size_t i = m_downloads.size(); i-- > 0;) {
        if (OpenPart(m_downloads[i])) Request(m_downloads[i]);
        else
            EndDownload(i, std::string("The part of ") + m_downloads[i].offer.name +
                               " already received cannot be opened; it will be offered again.");
    }
}

void CFileTransfers::Pause()
{
    m_socket = 0;
    for (Upload& upload : m_uploads) upload.sent = upload.acked;
    for (Download& download : m_downloads) {
        if (download.file != INVALID_HANDLE_VALUE) CloseHandle(download.file);
        download.file = INVALID_HANDLE_VALUE;
        download.asked = download.received;
    }
}

void CFileTransfers::Send(std::int32_t to, const std::string& toName)
{
    if (!m_socket) {
        Tell("Send File", "You need to be connected to the KVX server to send a file.");
        return;
    }
    Upload upload = {};
    char title[MAX_PATH] = "";
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_bar;
    dialog.lpstrFilter = "All Files (*.*)\0*.*\0";
    dialog.lpstrFile = upload.path;
    dialog.nMaxFile = sizeof upload.path;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = sizeof title;
    const std::string caption = "Send a File to " + toName;
    dialog.lpstrTitle = caption.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetOpenFileNameA(&dialog)) return;
    if (const char* problem = kvxwire::FileNameProblem(title, sizeof upload.name)) {
        Tell("Send File", std::string(title) + " cannot be sent: " + problem);
        return;
    }
    kvxwire::Sha256::Digest digest;
    if (!Digest(upload.path, digest, upload.size)) {
        Tell("Send File", std::string(title) + " cannot be read, so it was not sent.");
        return;
    }
    upload.tag = ++m_lastTag;
    upload.to = to;
    std::memcpy(upload.sha256, digest.data(), sizeof upload.sha256);
    lstrcpynA(upload.name, title, sizeof upload.name);
    lstrcpynA(upload.toName, toName.c_str(), sizeof upload.toName);
    upload.window = CTransferWindow::Open(std::string("Sending ") + upload.name);
    CTransferWindow::Show(upload.window, 0, upload.size, "To " + toName);
    m_uploads.push_back(upload);
    Save();
    Resume(m_socket);
}

void CFileTransfers::OnProgress(const FileProgressRecord& progress)
{
    for (Upload& upload : m_uploads) {
        if (upload.id != progress.id && (upload.id || upload.tag != progress.tag)) continue;
        if (!upload.id) {
            upload.id = progress.id;
            Save();
        }
        upload.acked = progress.received;
        if (upload.sent < upload.acked) upload.sent = upload.acked;
        CTransferWindow::Show(upload.window, upload.acked, upload.size, std::string("To ") + upload.toName);
        Pump(upload);
        return;
    }
}

void CFileTransfers::Pump(Upload& upload)
{
    std::uint8_t chunk[kvxwire::kMaxPayload];
    while (upload.sent < upload.size && upload.sent - upload.acked < kWindow) {
        const FileChunkHead head = {
            upload.id, static_cast<std::uint16_t>(std::min<std::uint64_t>(kMaxUploadChunk, upload.size - upload.sent)),
            0, upload.sent};
        if (!ReadAt(upload.path, upload.sent, chunk + sizeof head, head.length, upload.size)) {
            const FileIdRecord id = {upload.id};
            SendPacket(PKT_FILE_DROP, &id, sizeof id);
            for (std::size_t i = 0; i < m_uploads.size(); ++i)
                if (&m_uploads[i] == &upload)
                    EndUpload(i, "Send File",
                              std::string(upload.name) + " was moved, shrank or changed while it was being sent, " +
                                  "so it was not sent. Nothing of it was kept.");
            return;
        }
        std::memcpy(chunk, &head, sizeof head);
        if (!SendPacket(PKT_FILE_DATA, chunk, static_cast<int>(sizeof head + head.length))) return;
        upload.sent += head.length;
    }
}

void CFileTransfers::OnStored(const FileProgressRecord& stored)
{
    for (std::size_t i = 0; i < m_uploads.size(); ++i) {
        if (m_uploads[i].id != stored.id) continue;
        EndUpload(i, "Send File",
                  std::string(m_uploads[i].name) + " is on the KVX server for " + m_uploads[i].toName +
                      ", who can take it from there, now or when they next come online.");
        return;
    }
}

void CFileTransfers::EndUpload(std::size_t index, const char* title, const std::string& text)
{
    CTransferWindow::Close(m_uploads[index].window);
    m_uploads.erase(m_uploads.begin() + static_cast<std::ptrdiff_t>(index));
    Save();
    Tell(title, text);
}

void CFileTransfers::OnRefused(const FileRefusedRecord& refused)
{
    const std::string reason(refused.reason, strnlen(refused.reason, sizeof refused.reason));
    for (std::size_t i = 0; i < m_uploads.size(); ++i) {
        const Upload& upload = m_uploads[i];
        if (refused.id ? upload.id == refused.id : !upload.id && upload.tag == refused.tag) {
            EndUpload(i, "Send File", std::string(upload.name) + " was not sent: " + reason);
            return;
        }
    }
    for (std::size_t i = 0; i < m_downloads.size(); ++i)
        if (refused.id && m_downloads[i].offer.id == refused.id) {
            EndDownload(i, std::string(m_downloads[i].offer.name) + " could not be fetched: " + reason);
            return;
        }
}

bool CFileTransfers::Fetching(std::uint32_t id) const
{
    for (const Download& download : m_downloads)
        if (download.offer.id == id) return true;
    return false;
}

void CFileTransfers::Decide(const FileOfferEventRecord& offer)
{
    const std::string what =
        std::string(offer.nickname) + " offers " + offer.name + ", " + CTransferWindow::Size(offer.size) + ".";
    const int answer = MessageBoxA(m_bar, (what + "\n\nAccept it? It will be saved in your Downloads folder.").c_str(),
                                   "KVX File", MB_YESNO | MB_ICONQUESTION);
    const FileIdRecord id = {offer.id};
    if (answer != IDYES) {
        SendPacket(PKT_FILE_DROP, &id, sizeof id);
        return;
    }
    if (const char* problem = kvxwire::FileNameProblem(offer.name, sizeof offer.name)) {
        SendPacket(PKT_FILE_DROP, &id, sizeof id);
        Tell("Receive File", std::string("The offered file was declined: ") + problem);
        return;
    }
    CreateDirectoryA(kDownloads, nullptr);
    ULARGE_INTEGER free = {};
    if (GetDiskFreeSpaceExA(kDownloads, &free, nullptr, nullptr) && free.QuadPart < offer.size) {
        Tell("Receive File", std::string("There is not enough room on the disk for ") + offer.name + " (" +
                                 CTransferWindow::Size(offer.size) + "). It stays on the KVX server for now.");
        return;
    }
    if (Fetching(offer.id)) return;
    Download download = {};
    download.offer = offer;
    download.file = INVALID_HANDLE_VALUE;
    DeleteFileA(PartPath(offer.id).c_str());
    download.window = CTransferWindow::Open(std::string("Receiving ") + offer.name);
    m_downloads.push_back(download);
    Save();
    if (m_socket && OpenPart(m_downloads.back())) Request(m_downloads.back());
}

std::string CFileTransfers::PartPath(std::uint32_t id) const
{
    return std::string(kDownloads) + "\\" + std::to_string(id) + ".kvxpart";
}

bool CFileTransfers::OpenPart(Download& download)
{
    if (download.file == INVALID_HANDLE_VALUE) {
        CreateDirectoryA(kDownloads, nullptr);
        download.file = CreateFileA(PartPath(download.offer.id).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    LARGE_INTEGER held = {}, end = {};
    if (download.file == INVALID_HANDLE_VALUE || !GetFileSizeEx(download.file, &held) ||
        static_cast<std::uint64_t>(held.QuadPart) > download.offer.size ||
        !SetFilePointerEx(download.file, end, nullptr, FILE_END))
        return false;
    // What reached the disk before a drop or a restart is kept; the rest is asked for again.
    download.received = download.asked = static_cast<std::uint64_t>(held.QuadPart);
    CTransferWindow::Show(download.window, download.received, download.offer.size,
                          std::string("From ") + download.offer.nickname);
    if (download.received == download.offer.size) PostMessageA(m_window, kRequestMessage, 0, 0);
    return true;
}

void CFileTransfers::Request(Download& download)
{
    while (download.asked < download.offer.size && download.asked - download.received < kWindow) {
        const FileGetRecord get = {
            download.offer.id,
            static_cast<std::uint32_t>(std::min<std::uint64_t>(kHalfWindow, download.offer.size - download.asked)),
            download.asked};
        if (!SendPacket(PKT_FILE_GET, &get, sizeof get)) return;
        download.asked += get.length;
    }
}

void CFileTransfers::RequestAll()
{
    for (std::size_t i = m_downloads.size(); i-- > 0;) {
        if (m_downloads[i].file == INVALID_HANDLE_VALUE) continue;
        if (m_downloads[i].received == m_downloads[i].offer.size) Complete(i);
        else Request(m_downloads[i]);
    }
}

void CFileTransfers::OnChunk(const std::uint8_t* data, std::size_t size)
{
    FileChunkHead head = {};
    if (size < sizeof head) return;
    std::memcpy(&head, data, sizeof head);
    for (std::size_t i = 0; i < m_downloads.size(); ++i) {
        Download& download = m_downloads[i];
        if (download.offer.id != head.id || download.file == INVALID_HANDLE_VALUE) continue;
        const std::string name = download.offer.name;
        if (head.length == 0 || size - sizeof head != head.length || head.offset != download.received ||
            head.offset + head.length > download.offer.size) {
            EndDownload(i, "The KVX server sent " + name +
                               " out of order or past its size, so the transfer was stopped and nothing was kept.");
            return;
        }
        DWORD written = 0;
        if (!WriteFile(download.file, data + sizeof head, head.length, &written, nullptr) || written != head.length) {
            EndDownload(i, name + " could not be written (is the disk full?), so nothing was kept. It stays on the " +
                               "KVX server and is offered again at your next login.");
            return;
        }
        const std::uint64_t before = download.received;
        download.received += head.length;
        if (download.received / kHalfWindow != before / kHalfWindow || download.received == download.offer.size) {
            CTransferWindow::Show(download.window, download.received, download.offer.size,
                                  std::string("From ") + download.offer.nickname);
            // Asked for later: the bar's own messages go first.
            PostMessageA(m_window, kRequestMessage, 0, 0);
        }
        return;
    }
}

void CFileTransfers::Complete(std::size_t index)
{
    Download& download = m_downloads[index];
    CloseHandle(download.file);
    download.file = INVALID_HANDLE_VALUE;
    const std::string name = download.offer.name, part = PartPath(download.offer.id);
    kvxwire::Sha256::Digest digest;
    std::uint64_t size = 0;
    if (!Digest(part.c_str(), digest, size) || size != download.offer.size ||
        std::memcmp(digest.data(), download.offer.sha256, digest.size()) != 0) {
        EndDownload(index,
                    name + " did not arrive intact, so nothing was kept. It is offered again at your next login.");
        return;
    }
    for (int number = 1; number < 1000; ++number) {
        const std::string target = std::string(kDownloads) + "\\" + Numbered(name, number);
        if (!MoveFileA(part.c_str(), target.c_str())) continue;
        const FileIdRecord id = {download.offer.id};
        SendPacket(PKT_FILE_DONE, &id, sizeof id);
        EndDownload(index, std::string(kDownloads) + "\\" + Numbered(name, number) + " from " +
                               download.offer.nickname + " has arrived, its checksum checked.");
        return;
    }
    EndDownload(index, name + " could not be given a name in the Downloads folder, so nothing was kept.");
}

void CFileTransfers::EndDownload(std::size_t index, const std::string& text)
{
    Download& download = m_downloads[index];
    if (download.file != INVALID_HANDLE_VALUE) CloseHandle(download.file);
    DeleteFileA(PartPath(download.offer.id).c_str());
    CTransferWindow::Close(download.window);
    m_downloads.erase(m_downloads.begin() + static_cast<std::ptrdiff_t>(index));
    Save();
    if (!text.empty()) Tell("Receive File", text);
}
