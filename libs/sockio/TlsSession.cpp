#include "TlsSession.h"

#include <schannel.h>
#include <wincrypt.h>

#include <ctype.h>
#include <string.h>

#include <vector>

#include "SocketWait.h"
#include "sockio.h"

namespace {

const DWORD kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                       ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                       ISC_REQ_MANUAL_CRED_VALIDATION;
const size_t kLargestHandshake = 64 * 1024;
// A TLS record holds at most 2^14 bytes of data plus what protection adds (at most 2048).
const size_t kLargestRecord = 5 + 16384 + 2048;

// The size the record at the front of `records` claims, header included.
size_t ClaimedRecordSize(const std::string& records)
{
    if (records.size() < 5) return 0;
    return 5 + (static_cast<unsigned char>(records[3]) << 8 | static_cast<unsigned char>(records[4]));
}

// Sends a token SChannel allocated, then frees it.
bool SendToken(SOCKET s, SecBuffer& token, DWORD waitMs)
{
    if (!token.pvBuffer) return true;
    const bool sent = token.cbBuffer == 0 ||
                      SendAll(s, static_cast<const char*>(token.pvBuffer), static_cast<int>(token.cbBuffer), waitMs);
    FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    return sent;
}

// The fingerprint's bytes from hex text with or without separators; empty when malformed.
std::vector<BYTE> PinBytes(const char* pin)
{
    std::vector<BYTE> bytes;
    int high = -1;
    for (const char* p = pin; *p; ++p) {
        if (*p == ':' || *p == ' ' || *p == '-') continue;
        if (!isxdigit(static_cast<unsigned char>(*p))) return {};
        const int digit = isdigit(static_cast<unsigned char>(*p)) ? *p - '0' : tolower(*p) - 'a' + 10;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<BYTE>(high * 16 + digit));
            high = -1;
        }
    }
    return high < 0 ? bytes : std::vector<BYTE>();
}

bool MatchesPin(PCCERT_CONTEXT certificate, const char* pin)
{
    BYTE hash[32];
    DWORD size = sizeof hash;
    if (!CryptHashCertificate(0, CALG_SHA_256, 0, certificate->pbCertEncoded, certificate->cbCertEncoded, hash, &size))
        return false;
    const std::vector<BYTE> wanted = PinBytes(pin);
    return wanted.size() == size && memcmp(wanted.data(), hash, size) == 0;
}

// The system's verdict on the chain and on the name the user gave for the server.
bool TrustedFor(PCCERT_CONTEXT certificate, const char* host)
{
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                 &chain))
        return false;
    WCHAR name[256];
    MultiByteToWideChar(CP_ACP, 0, host, -1, name, 256);
    name[255] = 0;
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = name;
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    const bool ok =
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) && status.dwError == 0;
    CertFreeCertificateChain(chain);
    return ok;
}

} // namespace

TlsSession::TlsSession() = default;

TlsSession::~TlsSession()
{
    if (m_haveContext) DeleteSecurityContext(&m_context);
    if (m_haveCredentials) FreeCredentialsHandle(&m_credentials);
}

int TlsSession::Handshake(SOCKET s, const char* host, const char* pin, DWORD waitMs)
{
    SCHANNEL_CRED wanted = {};
    wanted.dwVersion = SCHANNEL_CRED_VERSION;
    // TLS 1.2 and later only; the certificate is checked here, the same on every system.
    wanted.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
    wanted.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    char package[] = UNISP_NAME_A;
    m_haveCredentials = AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &wanted, nullptr,
                                                  nullptr, &m_credentials, nullptr) == SEC_E_OK;
    if (!m_haveCredentials || !Exchange(s, host, waitMs)) return SK_TLS_HANDSHAKE_FAILED;
    if (QueryContextAttributesA(&m_context, SECPKG_ATTR_STREAM_SIZES, &m_sizes) != SEC_E_OK)
        return SK_TLS_HANDSHAKE_FAILED;
    const int trust = CheckCertificate(host, pin);
    m_ready = trust == 0;
    return trust;
}

bool TlsSession::Exchange(SOCKET s, const char* host, DWORD waitMs)
{
    SEC_CHAR* target = const_cast<SEC_CHAR*>(host);
    for (bool first = true, needMore = false;;) {
        if (!first && (m_records.empty() || needMore)) {
            char chunk[4096];
            const int got = ReceiveSome(s, chunk, sizeof chunk, waitMs);
            if (got <= 0 || m_records.size() + static_cast<size_t>(got) > kLargestHandshake) return false;
            m_records.append(chunk, static_cast<size_t>(got));
        }
        SecBuffer in[2] = {{static_cast<ULONG>(m_records.size()), SECBUFFER_TOKEN, m_records.data()},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
        SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
        SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, out};
        ULONG attributes = 0;
        const SECURITY_STATUS status = InitializeSecurityContextA(
            &m_credentials, first ? nullptr : &m_context, target, kRequest, 0, 0, first ? nullptr : &inDesc, 0,
            first ? &m_context : nullptr, &outDesc, &attributes, nullptr);
        if (first) m_haveContext = status == SEC_I_CONTINUE_NEEDED;
        first = false;
        needMore = status == SEC_E_INCOMPLETE_MESSAGE;
        if (needMore) continue;
        if (!SendToken(s, out[0], waitMs)) return false;
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) return false;
        if (!m_haveContext) return false;
        if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0)
            m_records.erase(0, m_records.size() - in[1].cbBuffer);
        else m_records.clear();
        if (status == SEC_E_OK) return true;
    }
}

int TlsSession::CheckCertificate(const char* host, const char* pin)
{
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesA(&m_context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK || !certificate)
        return SK_TLS_CERT_REJECTED;
    const bool trusted = pin && *pin ? MatchesPin(certificate, pin) : TrustedFor(certificate, host);
    CertFreeCertificateContext(certificate);
    return trusted ? 0 : SK_TLS_CERT_REJECTED;
}

bool TlsSession::Seal(const void* data, size_t size, std::string* out)
{
    if (!m_ready) return false;
    const char* at = static_cast<const char*>(data);
    do {
        const size_t part = size < m_sizes.cbMaximumMessage ? size : m_sizes.cbMaximumMessage;
        std::string record(m_sizes.cbHeader + part + m_sizes.cbTrailer, '\0');
        if (part) memcpy(&record[m_sizes.cbHeader], at, part);
        SecBuffer buffers[4] = {{m_sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                                {static_cast<ULONG>(part), SECBUFFER_DATA, &record[m_sizes.cbHeader]},
                                {m_sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, &record[m_sizes.cbHeader + part]},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&m_context, 0, &desc, 0) != SEC_E_OK) return false;
        out->append(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        at += part;
        size -= part;
    } while (size > 0);
    return true;
}

bool TlsSession::Open(const char* data, size_t size)
{
    if (m_broken || !m_ready) return false;
    if (m_ended) return true; // nothing after the end counts
    m_records.append(data, size);
    while (!m_records.empty()) {
        SecBuffer buffers[4] = {{static_cast<ULONG>(m_records.size()), SECBUFFER_DATA, m_records.data()},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
        const SECURITY_STATUS status = DecryptMessage(&m_context, &desc, 0, nullptr);
        // One that claims more than any record may hold would only be waited for.
        if (status == SEC_E_INCOMPLETE_MESSAGE && ClaimedRecordSize(m_records) <= kLargestRecord) break;
        if (status == SEC_I_CONTEXT_EXPIRED) {
            m_ended = true;
            break;
        }
        if (status != SEC_E_OK) {
            m_broken = true;
            m_records.clear();
            return false;
        }
        const SecBuffer* plain = nullptr;
        const SecBuffer* extra = nullptr;
        for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA) plain = &buffer;
            if (buffer.BufferType == SECBUFFER_EXTRA) extra = &buffer;
        }
        if (plain && plain->cbBuffer) m_plain.append(static_cast<const char*>(plain->pvBuffer), plain->cbBuffer);
        // Wine reports the server's close_notify as an empty record with nothing after it.
        if ((!plain || !plain->cbBuffer) && (!extra || !extra->cbBuffer)) m_ended = true;
        if (extra && extra->cbBuffer) m_records.erase(0, m_records.size() - extra->cbBuffer);
        else m_records.clear();
        if (m_ended) break;
    }
    if (m_ended) m_records.clear();
    return true;
}
