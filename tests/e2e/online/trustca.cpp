// trustca: makes the Wine prefix trust a certificate authority, as an administrator does with
// the machine's root store. The online scenarios give it the test CA that signed the local
// server's certificate, so that WinHTTP accepts https://localhost.
//
//   trustca CA.der     adds the certificate (DER) to the local machine's Root store; exit 0
//                      when it is there afterwards (also when it was there before)
#include <windows.h>
// After <windows.h>, which it needs.
#include <wincrypt.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        fwprintf(stderr, L"usage: trustca CA.der\n");
        return 2;
    }
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fwprintf(stderr, L"trustca: cannot open %ls (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    std::vector<BYTE> der(GetFileSize(file, nullptr));
    DWORD read = 0;
    const BOOL ok = ReadFile(file, der.data(), static_cast<DWORD>(der.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != der.size()) {
        fwprintf(stderr, L"trustca: cannot read %ls\n", argv[1]);
        return 1;
    }
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!store) {
        fwprintf(stderr, L"trustca: cannot open the Root store (%lu)\n", GetLastError());
        return 1;
    }
    const BOOL added =
        CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                         CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = GetLastError();
    CertCloseStore(store, 0);
    if (!added) {
        fwprintf(stderr, L"trustca: cannot add the certificate (0x%08lx)\n", error);
        return 1;
    }
    return 0;
}
