#include "publish/credentialstore.h"

#include "platform/windowsapi.h"

#include <wincred.h>

namespace vex {

namespace {

// The Windows Credential Manager ("Anmeldeinformationsverwaltung"), one
// generic credential per server and user, kept for this Windows user.
class WinCredStore final : public CredentialStore
{
public:
    void read(const QString &key, std::function<void(std::optional<QString>)> done) override
    {
        PCREDENTIALW cred = nullptr;
        const std::wstring target = key.toStdWString();
        if (!CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &cred)) {
            done(std::nullopt);
            return;
        }
        const QString password = QString::fromUtf16(reinterpret_cast<const char16_t *>(cred->CredentialBlob),
                                                    qsizetype(cred->CredentialBlobSize / sizeof(char16_t)));
        CredFree(cred);
        done(password);
    }

    void write(const QString &key, const QString &password, std::function<void(bool)> done) override
    {
        std::wstring target = key.toStdWString();
        std::wstring secret = password.toStdWString();
        CREDENTIALW cred{};
        cred.Type = CRED_TYPE_GENERIC;
        cred.TargetName = target.data();
        cred.CredentialBlobSize = DWORD(secret.size() * sizeof(wchar_t));
        cred.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
        cred.Persist = CRED_PERSIST_LOCAL_MACHINE;
        const bool ok = CredWriteW(&cred, 0) != FALSE;
        SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
        done(ok);
    }
};

} // namespace

std::unique_ptr<CredentialStore> systemCredentialStore()
{
    return std::make_unique<WinCredStore>();
}

} // namespace vex
