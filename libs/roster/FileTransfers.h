// Files sent to contacts and received from them through the server (wire/CONTACTS.md): the
// uploads this user started and the offers it accepted, each with its progress window. Both
// are kept in Data\transfers.dat and go on from where the server stands after a drop or a
// restart. A received file is written to Downloads\<id>.kvxpart strictly in order, never past
// its announced size, and becomes Downloads\<name> (never over an existing file) only once
// its SHA-256 matches; anything else leaves nothing behind. Nothing is written outside the
// Downloads folder but the state file. GUI thread only.
#ifndef KVX_ROSTER_FILETRANSFERS_H
#define KVX_ROSTER_FILETRANSFERS_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "RecordFile.h"
#include "wire/Transfers.h"

class CFileTransfers {
public:
    static const char kStatePath[];
    static const char kDownloads[];
    // Bytes in flight: an upload sends on while fewer than this are unconfirmed; a download
    // keeps two requests of half this outstanding.
    static const std::uint32_t kWindow = 64 * 1024;

    CFileTransfers();
    ~CFileTransfers();
    CFileTransfers(const CFileTransfers&) = delete;
    CFileTransfers& operator=(const CFileTransfers&) = delete;

    // Reads the saved transfers (nothing is sent until Resume).
    void Init(HWND bar);
    // Logged in on `socket`: every transfer goes on from where the server stands.
    void Resume(UINT_PTR socket);
    // Not connected: nothing more goes out until Resume.
    void Pause();

    // The open-file dialog, then the offer to `to`.
    void Send(std::int32_t to, const std::string& toName);
    // The user's answer to an offer: asked in a message box.
    void Decide(const FileOfferEventRecord& offer);
    bool Fetching(std::uint32_t id) const;

    void OnProgress(const FileProgressRecord& progress);
    void OnStored(const FileProgressRecord& stored);
    void OnRefused(const FileRefusedRecord& refused);
    void OnChunk(const std::uint8_t* data, std::size_t size);

private:
    struct Upload {
        std::uint32_t tag;
        std::uint32_t id; // 0 until the server answers the offer
        std::int32_t to;
        std::uint64_t size;
        std::uint8_t sha256[32];
        char name[kFileNameField];
        char path[MAX_PATH];
        char toName[kNicknameField];
        std::uint64_t sent; // not saved: from the server's count after a Resume
        std::uint64_t acked;
        HWND window;
    };
    struct Download {
        FileOfferEventRecord offer;
        std::uint64_t received; // what the part file holds
        std::uint64_t asked;
        HANDLE file;
        HWND window;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool SendPacket(WORD type, const void* data, int length) const;
    void Save() const;
    void Load();

    void Pump(Upload& upload);
    void EndUpload(std::size_t index, const char* title, const std::string& text);
    void Request(Download& download);
    void RequestAll();
    bool OpenPart(Download& download);
    void Complete(std::size_t index);
    // Ends the download: its part file deleted, `text` told (when not empty).
    void EndDownload(std::size_t index, const std::string& text);
    std::string PartPath(std::uint32_t id) const;

    HWND m_bar;
    HWND m_window; // message-only: the next requests, once the bar's queue has had its turn
    UINT_PTR m_socket;
    std::uint32_t m_lastTag;
    CRecordFile m_state;
    std::vector<Upload> m_uploads;
    std::vector<Download> m_downloads;
};

#endif
