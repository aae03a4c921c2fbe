// Test rig helper: makes the Wine prefix it runs in trust one test authority,
// by putting its certificate into the prefix's local-machine root store.
// Earlier authorities of the same name are removed first, so a prefix trusts
// only the one made for the current run. Nothing outside the prefix changes.
//   trust-root.exe AUTHORITY.crt      (PEM or DER)
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Where the local machine's root store keeps its certificates, one key per
// certificate named by its SHA-1 hash in hex.
const char kRootCertificatesKey[] = "SOFTWARE\\Microsoft\\SystemCertificates\\ROOT\\Certificates";

bool readWhole(const char* path, std::vector<BYTE>& bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    BYTE block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && bytes.size() < 1024 * 1024)
        bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    return !bytes.empty() && bytes.size() < 1024 * 1024;
}

// A PEM file's certificate as DER; a DER file as it is.
bool toDer(const std::vector<BYTE>& file, std::vector<BYTE>& der)
{
    std::string text(file.begin(), file.end());
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size,
                              nullptr, nullptr)) {
        der = file;
        return true;
    }
    der.resize(size);
    return CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                                &size, nullptr, nullptr) != FALSE;
}

HCERTSTORE openRootStore()
{
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
    if (!root)
        std::fprintf(stderr, "trust-root: cannot open the local machine's root store [%lu]\n", GetLastError());
    return root;
}

std::string hashName(PCCERT_CONTEXT certificate)
{
    BYTE hash[20];
    DWORD size = sizeof hash;
    if (!CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash, &size) || size != sizeof hash)
        return std::string();
    std::string name;
    char hex[3];
    for (BYTE byte : hash) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        name += hex;
    }
    return name;
}

// Wine's crypt32 reports success when a certificate is deleted from this
// store but keeps it, so earlier authorities are removed from the registry
// key that holds the store.
void removeEarlierAuthorities(PCCERT_CONTEXT authority)
{
    std::vector<std::string> earlier;
    HCERTSTORE root = openRootStore();
    PCCERT_CONTEXT found = nullptr;
    while (root && (found = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                                       &authority->pCertInfo->Subject, found)) != nullptr) {
        std::string name = hashName(found);
        if (!name.empty() && name != hashName(authority))
            earlier.push_back(name);
    }
    if (root)
        CertCloseStore(root, 0);
    HKEY key = nullptr;
    if (earlier.empty() ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRootCertificatesKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    for (const std::string& name : earlier)
        RegDeleteKeyA(key, name.c_str());
    RegCloseKey(key);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust-root AUTHORITY.crt\n");
        return 2;
    }
    std::vector<BYTE> file;
    std::vector<BYTE> der;
    if (!readWhole(argv[1], file) || !toDer(file, der)) {
        std::fprintf(stderr, "trust-root: cannot read a certificate from %s\n", argv[1]);
        return 1;
    }
    PCCERT_CONTEXT authority =
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    if (!authority) {
        std::fprintf(stderr, "trust-root: %s holds no certificate [%lu]\n", argv[1], GetLastError());
        return 1;
    }
    removeEarlierAuthorities(authority);
    HCERTSTORE root = openRootStore();
    BOOL added = root && CertAddCertificateContextToStore(root, authority, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    DWORD error = GetLastError();
    if (root)
        CertCloseStore(root, 0);
    CertFreeCertificateContext(authority);
    if (!added) {
        std::fprintf(stderr, "trust-root: cannot add the authority to the root store [%lu]\n", error);
        return 1;
    }
    return 0;
}
